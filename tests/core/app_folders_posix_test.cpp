// Off Windows the data folder follows XDG_DATA_HOME and HOME.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "core/app_folders.h"
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

}  // namespace
}  // namespace harbrook
