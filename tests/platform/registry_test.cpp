#include "platform/registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

class RegistryTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
};

TEST_F(RegistryTest, CreateOpenReadWriteRoundTrip) {
    RegistryKey key;
    EXPECT_FALSE(key.Open("Software\\Harbrook\\PC ID"));
    EXPECT_FALSE(key.Write("ID", "x")) << "no key is open";
    ASSERT_TRUE(key.CreateKey("Software\\Harbrook\\PC ID"));
    std::string value;
    EXPECT_FALSE(key.Read("ID", value));
    ASSERT_TRUE(key.Write("ID", "Windows-42"));
    RegistryKey again;
    ASSERT_TRUE(again.Open("software\\HARBROOK\\pc id")) << "key paths ignore case";
    ASSERT_TRUE(again.Read("id", value)) << "value names ignore case";
    EXPECT_EQ(value, "Windows-42");
    // Every level of a created path exists as a key of its own.
    EXPECT_TRUE(again.Open("Software\\Harbrook"));
    EXPECT_TRUE(again.Open("Software"));
    EXPECT_FALSE(again.Open("Software\\Harbrook\\Root Directory"));
}

TEST_F(RegistryTest, ValuesKeepAwkwardBytes) {
    RegistryKey key;
    ASSERT_TRUE(key.CreateKey("Software\\Harbrook\\Phone Information\\PhoneSection0"));
    const std::string awkward = "a=b [c] %41\n\r\t\x01 \xC3\xA9 end ";
    ASSERT_TRUE(key.Write("Phone=Name]", awkward));
    ASSERT_TRUE(key.Write("Empty", ""));
    std::string value;
    ASSERT_TRUE(key.Read("Phone=Name]", value));
    EXPECT_EQ(value, awkward);
    ASSERT_TRUE(key.Read("Empty", value));
    EXPECT_EQ(value, "");
}

TEST_F(RegistryTest, RejectsMalformedKeyPaths) {
    RegistryKey key;
    EXPECT_FALSE(key.CreateKey(""));
    EXPECT_FALSE(key.CreateKey("\\Software"));
    EXPECT_FALSE(key.CreateKey("Software\\"));
    EXPECT_FALSE(key.CreateKey("Software\\\\Harbrook"));
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 6;
    constexpr int kWrites = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kWrites; ++i) {
                RegistryKey key;
                ASSERT_TRUE(key.CreateKey("Software\\T" + std::to_string(t)));
                ASSERT_TRUE(key.Write("v" + std::to_string(i), std::to_string(t * 1000 + i)));
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) {
        RegistryKey key;
        ASSERT_TRUE(key.Open("Software\\T" + std::to_string(t)));
        for (int i = 0; i < kWrites; ++i) {
            std::string value;
            ASSERT_TRUE(key.Read("v" + std::to_string(i), value));
            EXPECT_EQ(value, std::to_string(t * 1000 + i));
        }
    }
}

}  // namespace
}  // namespace harbrook::platform
