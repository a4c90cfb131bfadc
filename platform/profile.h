// INI files with the semantics of the Windows profile functions: section and
// key names compare without regard to case, surrounding blanks of names and
// values are dropped, a missing value yields the caller's default, and the
// result is cut to the caller's capacity. Windows: Get/WritePrivateProfileStringW.
// POSIX: our own reader and writer; writes go through a temp file and a rename.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace harbrook::platform {

// Reads section/key of the file. The result holds at most capacity - 1
// UTF-16 code units (the capacity counts the terminator, as the Windows
// buffer does); a missing file, section or key gives the default, cut alike.
std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t capacity);

// Writes section/key, creating the file and the section when needed.
// False when the file cannot be written.
bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace harbrook::platform
