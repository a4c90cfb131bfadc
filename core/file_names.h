// Rules about file names that hold on every system, because a folder tree
// made here may be copied to Windows later.
#pragma once

#include <string_view>

namespace harbrook {

// True for the names Windows keeps for devices (CON, NUL, COM1, ...), with or
// without an extension.
bool IsWindowsDeviceName(std::string_view name);

}  // namespace harbrook
