#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/folders.h"

namespace harbrook::platform {

std::optional<std::filesystem::path> UserDataFolder() {
    std::filesystem::path folder;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        folder = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        folder = std::filesystem::path(home) / ".local" / "share";
    } else {
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) return std::nullopt;
    return folder;
}

std::filesystem::path ExecutablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

std::filesystem::path ProgramToStart() {
    const auto executable = ExecutablePath();
    if (executable.filename() != "harbrook-window") return executable;
    const auto launcher = executable.parent_path() / "harbrook";
    std::error_code ec;
    return std::filesystem::is_regular_file(launcher, ec) ? launcher : executable;
}

std::filesystem::path ProgramFilesFolderOf(const std::filesystem::path& executable) {
    if (executable.empty()) return {};
    const auto folder = executable.parent_path();
    // Only a bin/ folder with the shared folder beside it counts as installed:
    // a build tree may well have a bin/ of its own.
    if (folder.filename() == "bin") {
        const auto shared = folder.parent_path() / "share" / "harbrook";
        std::error_code ec;
        if (std::filesystem::is_directory(shared, ec)) return shared;
    }
    return folder;
}

std::filesystem::path ProgramFilesFolder() {
    return ProgramFilesFolderOf(ExecutablePath());
}

bool NameExistsIn(const std::filesystem::path& folder, const std::filesystem::path& name) {
    struct stat st {};
    return ::lstat((folder / name).c_str(), &st) == 0;
}

bool CreateOneDirectory(const std::filesystem::path& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

}  // namespace harbrook::platform
