// Our own INI writer off Windows: the exact file it leaves behind.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "platform/profile.h"
#include "tests/platform/profile_fixture.h"

namespace harbrook::platform {
namespace {

TEST_F(ProfileTest, WriteReplacesInPlaceAndKeepsTheRestByteForByte) {
    Write("; keep me\n[harbrook]\nlanguage=german\ndateShow=1.1\n\n[other]\nx=1\n");
    ASSERT_TRUE(WriteProfileString(ini, "HARBROOK", "dateshow", "4.12"));
    ASSERT_TRUE(WriteProfileString(ini, "harbrook", "noshow", "1"));
    ASSERT_TRUE(WriteProfileString(ini, "third", "a", "b"));
    EXPECT_EQ(test::ReadFileBytes(ini),
              "; keep me\n[harbrook]\nlanguage=german\ndateshow=4.12\nnoshow=1\n\n[other]\nx=1\n"
              "\n[third]\na=b\n");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "dateShow", "none", 100), "4.12");
}

TEST_F(ProfileTest, BinaryFileIsKeptAsideOnWrite) {
    const std::string junk("\x00\xFF\xFE[harbrook]\x00", 13);
    Write(junk);
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "date", "none", 100), "none");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(WriteProfileString(ini, "harbrook", "date", "1.2"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("kept as"), std::string::npos);
    bool kept = false;
    for (const auto& e : std::filesystem::directory_iterator(sandbox.root()))
        if (e.path().filename().string().find("program_config.ini.corrupt-") == 0)
            kept = test::ReadFileBytes(e.path()) == junk;
    EXPECT_TRUE(kept);
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "date", "none", 100), "1.2");
}

// A folder (or any file that exists but cannot be read) in the settings
// file's place reads as the defaults and is set aside on the next write.
TEST_F(ProfileTest, AFolderInTheFilesPlaceReadsAsDefaultAndIsSetAsideOnWrite) {
    std::filesystem::create_directories(ini / "inside");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "date", "none", 100), "none");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(WriteProfileString(ini, "harbrook", "date", "1.2"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("kept as"), std::string::npos);
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "date", "none", 100), "1.2");
}

}  // namespace
}  // namespace harbrook::platform
