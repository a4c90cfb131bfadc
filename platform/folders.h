// Where the program keeps and finds its files.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace harbrook::platform {

// The per-user application-data folder, created when missing.
// Windows: CSIDL_APPDATA. POSIX: $XDG_DATA_HOME, else ~/.local/share.
// Nothing when the platform cannot name or create it.
std::optional<std::filesystem::path> UserDataFolder();

// Full path of the running executable. Windows: GetModuleFileNameW.
// POSIX: /proc/self/exe. Empty when unknown.
std::filesystem::path ExecutablePath();

// The program a user starts, to name where a start at login is set up. On
// Linux the window program (harbrook-window) is started through the harbrook
// beside it, which hands over to it only when there is a display: that
// harbrook is named. Otherwise the running executable.
std::filesystem::path ProgramToStart();

// The folder of the files installed with the program and read while it runs
// (the phone picture, the language libraries, harbrook.ini). Windows: the
// executable's folder, where the installer puts them. POSIX: an installed
// program lies in <prefix>/bin/ and keeps them in <prefix>/share/harbrook/;
// a program run from its build tree finds them beside itself. Empty when the
// executable's path is unknown.
std::filesystem::path ProgramFilesFolder();

// The same rule for a given executable path (looks at the file system).
std::filesystem::path ProgramFilesFolderOf(const std::filesystem::path& executable);

// True when anything (file or folder) of that name exists in the folder,
// searching that folder only. Windows: SearchPathW.
bool NameExistsIn(const std::filesystem::path& folder, const std::filesystem::path& name);

// Creates one directory level. True when it was created.
bool CreateOneDirectory(const std::filesystem::path& path);

}  // namespace harbrook::platform
