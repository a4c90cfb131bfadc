// The reminder's decision with the clock set by the test, its "Do not show
// again." setting, and where the pop-up stands.
#include "update/backup_reminder.h"

#include "platform/profile.h"
#include "tests/update/update_fixture.h"

namespace harbrook::test {
namespace {

class Reminder : public ::testing::Test {
  protected:
    Reminder() { std::filesystem::create_directories(sandbox.appData()); }
    bool ShowsOn(int year, int month, int day) {
        return BackupReminder(sandbox.appData())
            .IsTimeToShow(FixedClock(UtcMidnight(year, month, day)));
    }
    std::string Read(const char* key) {
        return platform::ReadProfileString(settings, "harbrook", key, "none", 100);
    }
    void Store(const char* key, const char* value) {
        platform::WriteProfileString(settings, "harbrook", key, value);
    }

    Sandbox sandbox;
    const std::filesystem::path settings = sandbox.appData() / "program_config.ini";
};

TEST_F(Reminder, FirstStartShowsItAndTheNextDaysDoNot) {
    EXPECT_TRUE(ShowsOn(2026, 12, 5));
    EXPECT_EQ(Read("dateShow"), "5.12");
    EXPECT_FALSE(ShowsOn(2026, 12, 5)) << "a second start the same day";
    EXPECT_FALSE(ShowsOn(2026, 12, 6));
    EXPECT_FALSE(ShowsOn(2026, 12, 25)) << "20 days";
    EXPECT_TRUE(ShowsOn(2026, 12, 26));
    EXPECT_EQ(Read("dateShow"), "26.12");
}

// (How many days a stored date is ago, across months and years, is
// date_records_test's; here only what the reminder makes of each kind.)
TEST_F(Reminder, ALongAgoDateShowsItAndAnUnreadableOneAtEveryStartAndStays) {
    Store("dateShow", "3.9");
    EXPECT_TRUE(ShowsOn(2026, 12, 1));
    EXPECT_EQ(Read("dateShow"), "1.12");
    Store("dateShow", "40.1");
    EXPECT_TRUE(ShowsOn(2026, 12, 5));
    EXPECT_TRUE(ShowsOn(2026, 12, 5));
    EXPECT_EQ(Read("dateShow"), "40.1");
}

TEST_F(Reminder, OnlyAnExactYesSwitchesItOff) {
    const BackupReminder reminder(sandbox.appData());
    reminder.OnNoShowClicked(true);
    EXPECT_EQ(Read("noshow"), "yes");
    EXPECT_FALSE(ShowsOn(2026, 12, 5));
    EXPECT_EQ(Read("dateShow"), "none") << "nothing written";
    Store("noshow", "Yes");
    EXPECT_TRUE(ShowsOn(2026, 12, 5));
    reminder.OnNoShowClicked(true);
    reminder.OnNoShowClicked(false);
    EXPECT_EQ(Read("noshow"), "no") << "ticked and unticked";
    Store("dateShow", "1.1");
    EXPECT_TRUE(ShowsOn(2026, 12, 5));
}

}  // namespace
}  // namespace harbrook::test
