// Starting the program when the user logs in.
#pragma once

#include <filesystem>
#include <string>

namespace harbrook::platform {

// Switches the start at login of this executable on or off. "On" (again)
// writes the entry afresh; "off" without an entry succeeds. The program then
// starts as it always does: the tray icon only, no window.
// POSIX: the XDG autostart entry $XDG_CONFIG_HOME/autostart/harbrook.desktop
// (default ~/.config). Windows: the value "Harbrook" of the user's Run key.
// False, with a one-line reason in *why, when it cannot be done.
bool SetStartAtLogin(bool on, const std::filesystem::path& executable, std::string* why);

// Whether the entry (the Run key value) is there, for a checkable menu item.
bool StartsAtLogin();

// Where the switch lives, for messages: the entry's path, or the Run key's.
std::string StartAtLoginPlace();

}  // namespace harbrook::platform
