// Requests from outside to end the program: Ctrl-C, SIGTERM, a closing
// console. They are turned into one wait on one thread, so no other thread
// is ever interrupted by them (a blocking ZeroMQ call would see EINTR).
// Windows: SetConsoleCtrlHandler setting an event. POSIX: the signals are
// blocked in every thread and taken with sigwait().
#pragma once

namespace harbrook::platform {

// Call first thing in main(), before any thread starts: threads inherit the
// blocked signals. Also makes writes to a closed pipe or socket fail with
// EPIPE instead of ending the process.
void BlockQuitRequests();

// Blocks until a quit request comes; returns a short name for it ("SIGINT").
const char* WaitForQuitRequest();

// Raises a quit request for this process, as Ctrl-C would.
void RequestQuit();

}  // namespace harbrook::platform
