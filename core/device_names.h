// Names Windows keeps for its devices. Files never get them, on any system:
// a backup tree or a download may be copied to Windows later.
#pragma once

#include <string_view>

namespace harbrook {

// True for the names Windows keeps for devices (CON, NUL, COM1, ...), with or
// without an extension.
bool IsWindowsDeviceName(std::string_view name);

}  // namespace harbrook
