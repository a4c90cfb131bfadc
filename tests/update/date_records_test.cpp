#include "update/date_records.h"

#include <gtest/gtest.h>

#include "platform/profile.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

UtcDate On(int day, int month) {
    return UtcDate{day, month, 2026};
}
DayCount Days(long long d) {
    return DayCount::Days(d);
}

TEST(DaysSinceStoredDate, WithinAndAcrossMonthsAndTheYear) {
    EXPECT_EQ(DaysSinceStoredDate("15.11", On(5, 12)), Days(20));
    EXPECT_EQ(DaysSinceStoredDate("15.11", On(6, 12)), Days(21));
    EXPECT_EQ(DaysSinceStoredDate("20.12", On(9, 1)), Days(19));
    EXPECT_EQ(DaysSinceStoredDate("20.12", On(11, 1)), Days(21));
    EXPECT_EQ(DaysSinceStoredDate("3.9", On(1, 12)), DayCount::LongAgo());
    EXPECT_EQ(DaysSinceStoredDate("28.6", On(10, 6)), Days(18)) << "clock set back";
    EXPECT_EQ(DaysSinceStoredDate("5.12", On(10, 12)), Days(5)) << "the year is not stored";
    EXPECT_EQ(DaysSinceStoredDate("1.2", On(1, 1)), DayCount::LongAgo()) << "later in the year";
}

TEST(DaysSinceStoredDate, LenientReading) {
    EXPECT_EQ(DaysSinceStoredDate("12", On(20, 3)), Days(8)) << "no point: current month";
    EXPECT_EQ(DaysSinceStoredDate("12.", On(20, 3)), Days(8));
    EXPECT_EQ(DaysSinceStoredDate("none", On(17, 3)), Days(17)) << "day 0 of this month";
    EXPECT_EQ(DaysSinceStoredDate("", On(17, 3)), Days(17));
    EXPECT_EQ(DaysSinceStoredDate(" 7.3.99", On(9, 3)), Days(2))
        << "further points belong to the month";
    EXPECT_EQ(DaysSinceStoredDate("-5.3", On(9, 3)), Days(14)) << "no lower bound on the day";
    EXPECT_EQ(DaysSinceStoredDate("31.2", On(1, 3)), Days(0));
}

TEST(DaysSinceStoredDate, Unreadable) {
    EXPECT_EQ(DaysSinceStoredDate("40.1", On(1, 1)), DayCount::Unreadable());
    EXPECT_EQ(DaysSinceStoredDate("32.5", On(1, 5)), DayCount::Unreadable());
    EXPECT_EQ(DaysSinceStoredDate(std::string(51, '1'), On(1, 1)), DayCount::Unreadable());
    EXPECT_EQ(DaysSinceStoredDate("99999999999999999999.1", On(1, 1)), DayCount::Unreadable());
    EXPECT_EQ(DaysSinceStoredDate("1." + std::string(48, '1'), On(1, 1)), DayCount::LongAgo())
        << "50 characters are still read";
}

TEST(DateText, DayFirstWithoutLeadingZeros) {
    // 2026-12-04 00:00:00 UTC and 2027-01-25 23:59:59 UTC.
    EXPECT_EQ(FormatDateText(FixedClock(1796342400)), "4.12");
    EXPECT_EQ(FormatDateText(FixedClock(1800921599)), "25.1");
}

TEST(DateText, ResetShowDateWritesTheReminderKey) {
    test::Sandbox sandbox;
    ResetShowDate(FixedClock(1796342400));
    EXPECT_EQ(platform::ReadProfileString(sandbox.appData() / "program_config.ini", "harbrook",
                                          "dateShow", "none", 100),
              "4.12");
}

}  // namespace
}  // namespace harbrook
