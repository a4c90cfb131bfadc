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
// False, with the kind of failure and the system's code (errno, or the
// registry's status; 0 when the system was not asked) in *why, when it cannot
// be done. The words for it are the program's (locale/system_error.h).
enum class StartAtLoginProblem {
    NoPlace,          // no folder for the entry (neither XDG_CONFIG_HOME nor HOME)
    ProgramUnknown,   // this executable's own path is not known
    ProgramUnusable,  // its path cannot stand in the entry
    CannotChange,     // the entry (the Run key) could not be written or removed
};
struct StartAtLoginFailure {
    StartAtLoginProblem problem = StartAtLoginProblem::CannotChange;
    long code = 0;
};
bool SetStartAtLogin(bool on, const std::filesystem::path& executable, StartAtLoginFailure* why);

// Whether the entry (the Run key value) is there, for a checkable menu item.
bool StartsAtLogin();

// Where the switch lives, for messages: the entry's path, or the Run key's.
std::string StartAtLoginPlace();

}  // namespace harbrook::platform
