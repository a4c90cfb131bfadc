#include "platform/profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "tests/platform/profile_fixture.h"

namespace harbrook::platform {
namespace {

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefault) {
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "language", "none", 50), "none");
    Write("[other]\nlanguage=german\n");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "language", "none", 50), "none");
    Write("[harbrook]\nnoshow=1\n");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "language", "none", 50), "none");
}

TEST_F(ProfileTest, ReadsLikeWindows) {
    Write(
        "; comment\r\n[ HarBrook ]\r\n  Language =  german  \r\nq=\"quoted value\"\r\n"
        "empty=\r\n[next]\r\nlanguage=french\r\n");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "LANGUAGE", "none", 50), "german");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "q", "none", 50), "quoted value");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "empty", "none", 50), "");
    EXPECT_EQ(ReadProfileString(ini, "next", "language", "none", 50), "french");
}

TEST_F(ProfileTest, ResultIsCutToCapacityInUtf16Units) {
    ASSERT_TRUE(WriteProfileString(ini, "s", "k", "0123456789"));
    ASSERT_TRUE(WriteProfileString(ini, "s", "u", "\xC3\xA9\xC3\xA9\xF0\x9F\x98\x80x"));
    EXPECT_EQ(ReadProfileString(ini, "s", "k", "none", 5), "0123");
    EXPECT_EQ(ReadProfileString(ini, "s", "k", "none", 1), "");
    EXPECT_EQ(ReadProfileString(ini, "s", "k", "none", 0), "");
    // The emoji needs two UTF-16 units and is not split.
    EXPECT_EQ(ReadProfileString(ini, "s", "u", "none", 4), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(ReadProfileString(ini, "s", "u", "none", 5), "\xC3\xA9\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(ReadProfileString(ini, "s", "missing", "defaultvalue", 4), "def");
}

TEST_F(ProfileTest, WriteReplacesAndKeepsTheRest) {
    Write("; keep me\n[harbrook]\nlanguage=german\ndateShow=1.1\n\n[other]\nx=1\n");
    ASSERT_TRUE(WriteProfileString(ini, "HARBROOK", "dateshow", "4.12"));
    ASSERT_TRUE(WriteProfileString(ini, "harbrook", "noshow", "1"));
    ASSERT_TRUE(WriteProfileString(ini, "third", "a", "b"));
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "dateShow", "none", 100), "4.12");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "language", "none", 100), "german");
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "noshow", "none", 100), "1");
    EXPECT_EQ(ReadProfileString(ini, "other", "x", "none", 100), "1");
    EXPECT_EQ(ReadProfileString(ini, "third", "a", "none", 100), "b");
    EXPECT_NE(test::ReadFileBytes(ini).find("; keep me"), std::string::npos);
}

TEST_F(ProfileTest, WriteCreatesFileAndRefusesLineBreaks) {
    ASSERT_TRUE(WriteProfileString(ini, "harbrook", "date", "5.12"));
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "date", "none", 100), "5.12");
    EXPECT_FALSE(WriteProfileString(ini, "harbrook", "date", "5.12\n[evil]"));
    EXPECT_FALSE(WriteProfileString(ini, "harbrook", "da=te", "x"));
    EXPECT_EQ(ReadProfileString(ini, "harbrook", "date", "none", 100), "5.12");
}

TEST_F(ProfileTest, ConcurrentWritesAllLand) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i)
                ASSERT_TRUE(WriteProfileString(ini, "s" + std::to_string(t),
                                               "k" + std::to_string(i), std::to_string(i)));
        });
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(ReadProfileString(ini, "s" + std::to_string(t), "k" + std::to_string(i),
                                        "none", 10),
                      std::to_string(i));
}

}  // namespace
}  // namespace harbrook::platform
