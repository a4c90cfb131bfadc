#include "core/app_folders.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

TEST(AppFolders, DataFolderIsMadeLevelByLevel) {
    test::Sandbox sandbox;
    std::filesystem::path folder;
    ASSERT_TRUE(GetAppDataFolder(folder));
    EXPECT_EQ(folder, sandbox.appData());
    EXPECT_FALSE(folder.has_filename()) << "ends with a separator";
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(AppFolders, PlainFileInTheWayGivesAnEmptyResult) {
    test::Sandbox sandbox;
    std::filesystem::create_directories(sandbox.dataHome());
    std::ofstream(sandbox.dataHome() / "Orvanta Lab") << "not a folder";
    EXPECT_TRUE(EnsureSubfolder(sandbox.dataHome(), "Orvanta Lab")) << "a file counts as present";
    std::filesystem::path folder = "unchanged?";
    EXPECT_FALSE(GetAppDataFolder(folder));
    EXPECT_TRUE(folder.empty());
}

TEST(AppFolders, ModuleFolderEndsWithTheSeparator) {
    EXPECT_EQ(FolderOf("/apps/x/prog"), std::filesystem::path("/apps/x/"));
    std::filesystem::path folder;
    ASSERT_TRUE(GetModuleFolder(folder));
    EXPECT_TRUE(std::filesystem::exists(folder / "core_tests") ||
                std::filesystem::exists(folder / "core_tests.exe"));
}

}  // namespace
}  // namespace harbrook
