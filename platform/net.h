// Network facts of this machine.
#pragma once

#include <optional>
#include <string>

namespace harbrook::platform {

// Starts the sockets layer once per process (WSAStartup on Windows; nothing
// to do on POSIX). False when it cannot be started.
bool InitSockets();

// First IPv4 address of the host name (gethostname + gethostbyname), dotted
// decimal; empty when the lookup fails.
std::string HostIPv4();

// The computer's name in UTF-8 (GetComputerNameW / gethostname); nothing when
// it cannot be had.
std::optional<std::string> ComputerName();

}  // namespace harbrook::platform
