#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cwctype>

#include "platform/folders.h"
#include "platform/win32_text.h"

namespace harbrook::platform {

std::optional<std::filesystem::path> UserDataFolder() {
    std::array<wchar_t, MAX_PATH> buffer{};
    if (!SHGetSpecialFolderPathW(nullptr, buffer.data(), CSIDL_APPDATA, TRUE)) return std::nullopt;
    return std::filesystem::path(buffer.data());
}

std::filesystem::path ExecutablePath() {
    std::array<wchar_t, 1024> buffer{};
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return std::filesystem::path(std::wstring(buffer.data(), n));
}

std::filesystem::path ProgramToStart() {
    return ExecutablePath();
}

std::filesystem::path ProgramFilesFolderOf(const std::filesystem::path& executable) {
    return executable.parent_path();
}

std::filesystem::path ProgramFilesFolder() {
    return ProgramFilesFolderOf(ExecutablePath());
}

bool NameExistsIn(const std::filesystem::path& folder, const std::filesystem::path& name) {
    std::array<wchar_t, 1024> found{};
    return SearchPathW(folder.wstring().c_str(), name.wstring().c_str(), nullptr,
                       static_cast<DWORD>(found.size()), found.data(), nullptr) != 0;
}

bool CreateOneDirectory(const std::filesystem::path& path) {
    return CreateDirectoryW(path.wstring().c_str(), nullptr) != 0;
}

}  // namespace harbrook::platform
