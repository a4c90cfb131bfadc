// Text conversions at the edges of the program. Inside, text is UTF-8.
// "ANSI" is the system's 8-bit code page: CP_ACP on Windows, UTF-8 on POSIX.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harbrook::platform {

// 8-bit text in the system code page to UTF-8. Nothing when it cannot be
// converted (on POSIX: invalid UTF-8).
std::optional<std::string> AnsiToUtf8(std::string_view ansi);

// UTF-8 to the system code page. Nothing when it cannot be converted.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

// The program's arguments as UTF-8. Windows hands main() its arguments in the
// ANSI code page, which cannot hold every file name, so there they are read
// again from the wide command line; elsewhere (and should that fail) they are
// argv as given.
std::vector<std::string> CommandLineUtf8(int argc, const char* const* argv);

// The length of one file name as the file system limits it: bytes on POSIX,
// UTF-16 code units on Windows. Either allows kMaxFileNameLength.
std::size_t FileNameLength(std::string_view utf8);
inline constexpr std::size_t kMaxFileNameLength = 255;

}  // namespace harbrook::platform
