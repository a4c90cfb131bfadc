#include <stdlib.h>

#include <stdexcept>

#include "tests/support/sandbox_system.h"

namespace harbrook::test::system {

void SetEnv(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

void UnsetEnv(const char* name) {
    ::unsetenv(name);
}

std::filesystem::path MakeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "harbrook-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void ClearOutsideSettings() {}
void PointUserDataFolderAt(const std::filesystem::path&) {}
void RestoreUserDataFolder() {}

}  // namespace harbrook::test::system
