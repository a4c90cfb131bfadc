// Starting a program the way the desktop's shell opens a file.
#pragma once

#include <filesystem>
#include <string>

namespace harbrook::platform {

// Starts the program at `file` with the command-line `parameters` and does not
// wait for it. Windows: ShellExecuteW with the verb "open" (true when the
// shell's result is above 32). POSIX: the file is made executable for its
// owner and started directly, the parameters split at blanks outside double
// quotes; true when the process was started.
bool ShellOpen(const std::filesystem::path& file, const std::string& parameters);

}  // namespace harbrook::platform
