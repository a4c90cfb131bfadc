// The few operating-system calls the sandbox needs, one file per system
// (sandbox_system_posix.cpp, sandbox_system_win32.cpp).
#pragma once

#include <filesystem>
#include <string>

namespace harbrook::test::system {

void SetEnv(const char* name, const std::string& value);
void UnsetEnv(const char* name);
// A fresh, empty folder only this process uses.
std::filesystem::path MakeTempFolder();
// Drops every Harbrook setting kept outside the sandbox's own folders (on
// Windows the per-user registry under Software\Harbrook). Nothing to do where
// the settings live below XDG_CONFIG_HOME.
void ClearOutsideSettings();
// Makes the system's per-user data folder the given one until RestoreUserDataFolder
// (on Windows the AppData shell folder of the current user; POSIX follows
// XDG_DATA_HOME, which the sandbox sets itself).
void PointUserDataFolderAt(const std::filesystem::path& folder);
void RestoreUserDataFolder();

unsigned ProcessId();
// True when a TCP socket can bind the port on every interface now.
bool TcpPortIsFree(int port);
// Connects to 127.0.0.1:port over plain TCP, writes the bytes and hangs up.
// False when the connection was refused or the write failed.
bool WriteToLoopbackPort(int port, const std::string& bytes);

}  // namespace harbrook::test::system
