// The file-backed hive that stands in for the registry off Windows.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

class RegistryHiveTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
};

TEST_F(RegistryHiveTest, TruncatedHiveIsKeptAsideNotOverwritten) {
    {
        RegistryKey key;
        ASSERT_TRUE(key.CreateKey("Software\\Harbrook\\PC ID"));
        ASSERT_TRUE(key.Write("ID", "Windows-1"));
    }
    // Cut the file in the middle, as a crash of a non-atomic writer would.
    const auto hive = sandbox.hiveFile();
    std::string content = test::ReadFileBytes(hive);
    ASSERT_GT(content.size(), 20u);
    content.resize(content.size() / 2);
    std::ofstream(hive, std::ios::binary | std::ios::trunc) << content;

    testing::internal::CaptureStderr();
    RegistryKey key;
    std::string value;
    EXPECT_FALSE(key.Open("Software\\Harbrook\\PC ID")) << "a damaged hive is not trusted";
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("kept as"), std::string::npos) << err;

    int corruptCopies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(hive.parent_path())) {
        if (entry.path().filename().string().find("registry.hive.corrupt-") == 0) {
            ++corruptCopies;
            EXPECT_EQ(test::ReadFileBytes(entry.path()), content) << "kept byte for byte";
        }
    }
    EXPECT_EQ(corruptCopies, 1);
    // The program carries on with a fresh hive.
    ASSERT_TRUE(key.CreateKey("Software\\Harbrook\\PC ID"));
    ASSERT_TRUE(key.Write("ID", "Windows-2"));
    ASSERT_TRUE(key.Read("ID", value));
    EXPECT_EQ(value, "Windows-2");
}

// A folder in the hive's place: set aside like a damaged hive, no exception.
TEST_F(RegistryHiveTest, AFolderInTheHivesPlaceIsSetAsideAndTheHiveStartsAfresh) {
    std::filesystem::create_directories(sandbox.hiveFile() / "inside");
    testing::internal::CaptureStderr();
    RegistryKey key;
    ASSERT_TRUE(key.CreateKey("Software\\Harbrook\\PC ID"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("kept as"), std::string::npos);
    ASSERT_TRUE(key.Write("ID", "Windows-3"));
    std::string value;
    ASSERT_TRUE(key.Read("ID", value));
    EXPECT_EQ(value, "Windows-3");
}

}  // namespace
}  // namespace harbrook::platform
