#include "app/progress_meter.h"

#include <gtest/gtest.h>

#include "locale/language_selector.h"
#include "locale/ui_strings.h"
#include "tests/locale/built_libraries.h"

namespace harbrook {
namespace {

using std::chrono::milliseconds;

TEST(ProgressMeterTest, PercentRateAndTimeLeftFollowTheBytes) {
    ProgressMeter meter;
    const auto t0 = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    meter.Start(10'000'000, t0);
    meter.Update(0, 0, "a.jpg", t0 + milliseconds(100));
    EXPECT_EQ(meter.Read().percent, 0);
    EXPECT_FALSE(meter.Read().secondsLeft);  // no rate yet

    meter.Update(2'000'000, 1, "b.jpg", t0 + milliseconds(1000));
    auto r = meter.Read();
    EXPECT_EQ(r.percent, 20);
    EXPECT_NEAR(r.bytesPerSecond, 2'000'000, 1);
    ASSERT_TRUE(r.secondsLeft);
    EXPECT_EQ(*r.secondsLeft, 4);
    EXPECT_EQ(r.currentFile, "b.jpg");
    EXPECT_EQ(r.filesDone, 1);

    // Only the last few seconds count: after a stall the rate drops.
    meter.Update(2'000'000, 1, "b.jpg", t0 + milliseconds(11000));
    r = meter.Read();
    EXPECT_LT(r.bytesPerSecond, 2'000'000 / 5.0);

    // More than announced stays at 100 % with nothing left.
    meter.Update(12'000'000, 5, "c.mp4", t0 + milliseconds(12000));
    r = meter.Read();
    EXPECT_EQ(r.percent, 100);
    ASSERT_TRUE(r.secondsLeft);
    EXPECT_EQ(*r.secondsLeft, 0);
}

TEST(ProgressMeterTest, ManyFilesASecondKeepTheWindowSmallAndTheRateTrue) {
    ProgressMeter meter;
    const auto t0 = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    meter.Start(1'000'000'000, t0);
    // 20 KB files, 4000 a second, for 8 s.
    for (int i = 1; i <= 32000; ++i)
        meter.Update(i * 20'000LL, i, "f.jpg", t0 + std::chrono::microseconds(250 * i));
    EXPECT_LE(meter.SamplesKept(), 2 * ProgressMeter::kRateWindow / ProgressMeter::kSampleSpacing);
    EXPECT_NEAR(meter.Read().bytesPerSecond, 80'000'000, 2'000'000);
    EXPECT_EQ(meter.Read().filesDone, 32000);
}

TEST(ProgressMeterTest, ANothingAnnouncedBackupStaysAtZeroPercent) {
    ProgressMeter meter;
    const auto t0 = std::chrono::steady_clock::now();
    meter.Start(0, t0);
    meter.Update(500, 1, "x", t0 + milliseconds(500));
    EXPECT_EQ(meter.Read().percent, 0);
}

TEST(ProgressMeterTest, Texts) {
    EXPECT_EQ(FormatBytes(0), "0 B");
    EXPECT_EQ(FormatBytes(999), "999 B");
    EXPECT_EQ(FormatBytes(1500), "1.5 kB");
    EXPECT_EQ(FormatBytes(12'345'678), "12.3 MB");
    EXPECT_EQ(FormatBytes(3'200'000'000), "3.20 GB");
    EXPECT_EQ(FormatDuration(7), "0:07");
    EXPECT_EQ(FormatDuration(723), "12:03");
    EXPECT_EQ(FormatDuration(3723), "1:02:03");
    EXPECT_EQ(FormatDuration(-5), "0:00");

    ProgressReading r;
    r.percent = 42;
    r.doneBytes = 12'000'000;
    r.totalBytes = 28'500'000;
    r.bytesPerSecond = 3'100'000;
    r.secondsLeft = 5;
    r.filesDone = 7;
    EXPECT_EQ(FormatProgress(r), " 42%  12.0 MB of 28.5 MB  3.1 MB/s  0:05 left  (7 files)");
    r.filesDone = 1;
    EXPECT_EQ(FormatProgress(r), " 42%  12.0 MB of 28.5 MB  3.1 MB/s  0:05 left  (1 file)");
}

// Units, decimal separator and rate of the language, from the libraries the build made.
TEST(ProgressMeterTest, SizesInTheLanguagesUnitsAndNumbers) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"french.dll", {"999 o", "12,0 Mo", "3,20 Go", "3,1 Mo/s"}},
        {"russian.dll", {"999 Б", "12,0 МБ", "3,20 ГБ", "3,1 МБ/с"}},
        {"german.dll", {"999 B", "12,0 MB", "3,20 GB", "3,1 MB/s"}},
        {"japanese.dll", {"999 B", "12.0 MB", "3.20 GB", "3.1 MB/\u79d2"}},
    };
    for (const auto& [name, expected] : cases) {
        const auto library = test::LoadBuiltLibrary(name);
        ASSERT_TRUE(library) << name;
        const test::UsingLanguage language(library.get());
        EXPECT_EQ((std::vector{FormatBytes(999), FormatBytes(12'000'000),
                               FormatBytes(3'200'000'000), FormatRate(3'100'000)}),
                  expected)
            << name;
    }
}

}  // namespace
}  // namespace harbrook
