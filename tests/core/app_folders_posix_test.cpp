// Off Windows the data folder follows XDG_DATA_HOME and HOME.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "core/app_folders.h"
#include "platform/folders.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

TEST(AppFolders, NoUserFolderGivesAnEmptyResult) {
    test::Sandbox sandbox;
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", "relative/home", 1);
    std::filesystem::path folder;
    EXPECT_FALSE(GetAppDataFolder(folder));
    EXPECT_TRUE(folder.empty());
}

// An installed program (<prefix>/bin/) reads its files from
// <prefix>/share/harbrook/; anywhere else, and when that folder is missing, it
// reads them beside itself.
TEST(AppFolders, ProgramFilesFolderFollowsTheInstalledLayout) {
    test::Sandbox sandbox;
    const auto prefix = sandbox.root() / "usr";
    const auto exe = prefix / "bin" / "harbrook";
    std::filesystem::create_directories(exe.parent_path());
    std::ofstream(exe) << "";
    EXPECT_EQ(platform::ProgramFilesFolderOf(exe), prefix / "bin") << "no shared folder yet";

    std::filesystem::create_directories(prefix / "share");
    std::ofstream(prefix / "share" / "harbrook") << "a file, not a folder";
    EXPECT_EQ(platform::ProgramFilesFolderOf(exe), prefix / "bin");
    std::filesystem::remove(prefix / "share" / "harbrook");

    std::filesystem::create_directories(prefix / "share" / "harbrook");
    EXPECT_EQ(platform::ProgramFilesFolderOf(exe), prefix / "share" / "harbrook");

    // A build tree beside that prefix, with and without a bin/ of its own.
    EXPECT_EQ(platform::ProgramFilesFolderOf(sandbox.root() / "build" / "app" / "harbrook"),
              sandbox.root() / "build" / "app");
    std::filesystem::create_directories(sandbox.root() / "build" / "bin");
    EXPECT_EQ(platform::ProgramFilesFolderOf(sandbox.root() / "build" / "bin" / "harbrook"),
              sandbox.root() / "build" / "bin");
    EXPECT_TRUE(platform::ProgramFilesFolderOf({}).empty());
}

}  // namespace
}  // namespace harbrook
