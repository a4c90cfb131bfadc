// The command line of harbrook-phone: the options every command shares, and
// the table of commands. A command is one function in its own file; adding
// one means writing that file and adding a row to the table in phone_cli.cpp.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/phone/phone_profile.h"

namespace harbrook::phone {

struct PhoneArgs {
    PhoneProfile phone;
    std::vector<std::string> positional;  // after the command name
    std::string pcAddress = "127.0.0.1";  // where the PC's notice port is
    std::chrono::milliseconds interval{2000};
    std::chrono::milliseconds timeout{5000};
    int count = 0;                      // 0: until interrupted
    std::optional<double> seconds;      // how long to run; unset: until interrupted
    std::optional<double> silentAfter;  // run: stop the heartbeat after this long
    std::string status = "Connected";   // heartbeat status word / detection answer
};

struct PhoneCommand {
    const char* name;
    const char* synopsis;  // "pair <address:port>"
    const char* help;      // what it does, a few lines
    int (*run)(const PhoneArgs& args);
};

const std::vector<PhoneCommand>& PhoneCommands();

// Parses argv and runs the command. The exit code.
int PhoneMain(int argc, char** argv);

// True once the user pressed Ctrl-C (or the process got SIGTERM).
bool Interrupted();

// Waits until the predicate holds, the run time of the arguments is up or the
// user interrupts. True when the predicate held.
bool WaitWhileRunning(const PhoneArgs& args, const std::function<bool()>& done);

// Prints a time-stamped line (the time since start, in seconds).
void Say(const std::string& line);

// Commands, one file each.
int RunPair(const PhoneArgs& args);
int RunHeartbeat(const PhoneArgs& args);
int RunBeacon(const PhoneArgs& args);
int RunNotice(const PhoneArgs& args);
int RunListen(const PhoneArgs& args);
int RunPhone(const PhoneArgs& args);

}  // namespace harbrook::phone
