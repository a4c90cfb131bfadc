// The program's own folders: the per-user data folder
// (<user data>/Orvanta Lab/Harbrook/) and the folder of the program's files. Both are
// returned with a trailing separator, so a file name can follow directly.
#pragma once

#include <filesystem>

namespace harbrook {

// The data folder, each level created when missing. False and an empty path
// when the platform gives no user folder or a level cannot be had (a plain
// file in the way counts as present, and the next level then fails).
bool GetAppDataFolder(std::filesystem::path& folder);

// The same path without creating the program's levels (for reading a file
// that may be there, before anything is to be written).
bool GetAppDataFolderPath(std::filesystem::path& folder);

// The folder of the files installed with the program: the running
// executable's folder, or <prefix>/share/harbrook/ for a program installed in
// <prefix>/bin/ (platform::ProgramFilesFolder).
bool GetModuleFolder(std::filesystem::path& folder);

// True when the name already exists in the parent folder (file or folder) or
// was created there as a folder.
bool EnsureSubfolder(const std::filesystem::path& parent, const std::filesystem::path& name);

// The folder of an executable path: everything up to and including the last separator.
std::filesystem::path FolderOf(const std::filesystem::path& file);

}  // namespace harbrook
