#include "app/progress_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "locale/string_ids.h"
#include "locale/ui_strings.h"

namespace harbrook {
namespace {
constexpr std::size_t kCapacity = 512;
}  // namespace

void ProgressMeter::Start(std::int64_t totalBytes, TimePoint now) {
    m_samples.clear();
    m_samples.push_back({now, 0});
    m_reading = {};
    m_reading.totalBytes = std::max<std::int64_t>(totalBytes, 0);
}

void ProgressMeter::Update(std::int64_t doneBytes, std::int64_t filesDone,
                           const std::string& currentFile, TimePoint now) {
    const std::size_t n = m_samples.size();
    if (n >= 2 && now - m_samples[n - 2].at < kSampleSpacing)
        m_samples.back() = {now, doneBytes};
    else
        m_samples.push_back({now, doneBytes});
    // Keep one sample at or before the window's start, so the window is full.
    while (m_samples.size() > 2 && m_samples[1].at <= now - kRateWindow) m_samples.pop_front();

    ProgressReading& r = m_reading;
    r.doneBytes = doneBytes;
    r.filesDone = filesDone;
    r.currentFile = currentFile;
    r.percent = r.totalBytes > 0
                    ? static_cast<int>(std::min<std::int64_t>(100, doneBytes * 100 / r.totalBytes))
                    : 0;
    const Sample& first = m_samples.front();
    const double seconds = std::chrono::duration<double>(now - first.at).count();
    r.bytesPerSecond = 0;
    r.secondsLeft.reset();
    // Below a quarter second the rate is noise.
    if (seconds >= 0.25 && doneBytes > first.bytes) {
        r.bytesPerSecond = static_cast<double>(doneBytes - first.bytes) / seconds;
        const std::int64_t left = std::max<std::int64_t>(0, r.totalBytes - doneBytes);
        r.secondsLeft = static_cast<std::int64_t>(std::ceil(left / r.bytesPerSecond));
    }
}

std::string FormatBytes(std::int64_t bytes) {
    if (bytes < 1000) return std::to_string(bytes) + " B";
    static constexpr const char* kUnits[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = -1;
    while (value >= 1000 && unit < 3) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 10 && unit >= 2 ? "%.2f %s" : "%.1f %s", value,
                  kUnits[unit]);
    return text;
}

std::string FormatDuration(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

std::string FormatProgress(const ProgressReading& r) {
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", r.percent);
    std::string line = percent;
    line += "  " + FormatUiText(LoadUiString(kStrBytesOfTotal, kCapacity),
                                {FormatBytes(r.doneBytes), FormatBytes(r.totalBytes)});
    if (r.bytesPerSecond > 0) {
        line += "  " + FormatBytes(static_cast<std::int64_t>(r.bytesPerSecond)) + "/s";
    }
    if (r.secondsLeft) {
        line += "  " + FormatUiText(LoadUiString(kStrTimeLeft, kCapacity),
                                    {FormatDuration(*r.secondsLeft)});
    }
    line +=
        "  " + FormatUiText(LoadUiString(r.filesDone == 1 ? kStrOneFile : kStrManyFiles, kCapacity),
                            {std::to_string(r.filesDone)});
    return line;
}

}  // namespace harbrook
