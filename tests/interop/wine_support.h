// What the tests that run Windows programs under wine share.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>

namespace harbrook::test {

// How a Windows program sees a Linux path: wine maps / to drive Z:.
inline std::string WinPath(const std::filesystem::path& p) {
    std::string s = "Z:" + std::filesystem::absolute(p).string();
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

}  // namespace harbrook::test
