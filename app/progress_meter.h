// Turns the bytes of a running backup into what a user wants to see: how
// far, how fast, how long still. The rate is taken over the last few seconds
// so that it follows changes (many small files, then one large video).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace harbrook {

struct ProgressReading {
    std::int64_t totalBytes = 0;  // announced at the start
    std::int64_t doneBytes = 0;
    std::int64_t filesDone = 0;
    int percent = 0;                          // 0..100
    double bytesPerSecond = 0;                // 0 until a rate can be told
    std::optional<std::int64_t> secondsLeft;  // nothing until a rate can be told
    std::string currentFile;
};

class ProgressMeter {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::seconds kRateWindow{5};
    // Updates closer together than this share one sample: a backup of
    // thousands of small files a second keeps a window of a few dozen.
    static constexpr std::chrono::milliseconds kSampleSpacing{100};

    void Start(std::int64_t totalBytes, TimePoint now);
    void Update(std::int64_t doneBytes, std::int64_t filesDone, const std::string& currentFile,
                TimePoint now);
    ProgressReading Read() const { return m_reading; }
    std::size_t SamplesKept() const { return m_samples.size(); }

  private:
    struct Sample {
        TimePoint at;
        std::int64_t bytes;
    };
    std::deque<Sample> m_samples;
    ProgressReading m_reading;
};

// "0 B", "999 B", "1.5 kB", "12.0 MB", "3.20 GB" (powers of 1000), in the
// units and with the decimal separator of the language ("12,0 Mo" in French).
std::string FormatBytes(std::int64_t bytes);
// A size per second: "3.1 MB/s", "3,1 МБ/с".
std::string FormatRate(double bytesPerSecond);
// "0:07", "12:03", "1:02:03": clock notation, which every language of the
// libraries reads as it is.
std::string FormatDuration(std::int64_t seconds);
// " 42%  12.0 MB of 28.5 MB  3.1 MB/s  0:05 left  (7 files)"
std::string FormatProgress(const ProgressReading& reading);

}  // namespace harbrook
