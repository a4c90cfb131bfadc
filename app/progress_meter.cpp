#include "app/progress_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "locale/plural.h"
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
    static constexpr unsigned kUnits[] = {kStrSizeBytes, kStrSizeKilobytes, kStrSizeMegabytes,
                                          kStrSizeGigabytes, kStrSizeTerabytes};
    if (bytes < 1000)
        return FormatUiText(LoadUiString(kUnits[0], kCapacity), {std::to_string(bytes)});
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1000 && unit < 4) {
        value /= 1000;
        ++unit;
    }
    char number[32];
    std::snprintf(number, sizeof number, value < 10 && unit >= 3 ? "%.2f" : "%.1f", value);
    std::string text = number;
    // The language's decimal separator (a comma in most of Europe).
    if (const std::size_t point = text.find('.'); point != std::string::npos) {
        text.replace(point, 1, LoadUiString(kStrDecimalSeparator, 8));
    }
    return FormatUiText(LoadUiString(kUnits[unit], kCapacity), {text});
}

std::string FormatRate(double bytesPerSecond) {
    return FormatUiText(LoadUiString(kStrPerSecond, kCapacity),
                        {FormatBytes(static_cast<std::int64_t>(bytesPerSecond))});
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
        line += "  " + FormatRate(r.bytesPerSecond);
    }
    if (r.secondsLeft) {
        line += "  " + FormatUiText(LoadUiString(kStrTimeLeft, kCapacity),
                                    {FormatDuration(*r.secondsLeft)});
    }
    line += "  " + FormatCountedUiText(kStrFileCount, r.filesDone, kCapacity);
    return line;
}

}  // namespace harbrook
