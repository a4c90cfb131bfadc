// The command line of the harbrook executables.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/port_plan.h"

namespace harbrook {

struct Options {
    bool help = false;
    bool version = false;
    bool history = false;  // print the backup history and end
    // --verify [PHONE]: check the stored files against the manifests and end;
    // --record writes the lines of files that have none first.
    bool verify = false;
    bool record = false;
    std::optional<std::string> verifyPhone;
    bool headless = false;          // the console front end even where a display exists
    std::optional<bool> autostart;  // --autostart on|off: switch start at login and end
    std::string address;            // overrides the local address lookup
    // For this run, instead of the "language" key of program_config.ini.
    std::optional<std::string> language;
    std::optional<std::filesystem::path> backupRoot;  // absolute
    bool disconnect = false;  // hand the user's disconnect to the running instance
    bool send = false;
    std::vector<std::filesystem::path> sendFiles;  // absolute, so another process can use them
    bool noWait = false;  // --no-wait: hand the files over without waiting for the outcome
    // --notify: the file manager's send: start Harbrook if need be, and
    // tell the outcome in a notice of the notification area.
    bool notify = false;
    // --pairing always: phones may pair at any time, not only while the code shows.
    bool pairingAlways = false;
    // For testing: every PC port from one base, and short link timings.
    std::optional<int> portsBase;
    bool quickTiming = false;
};

struct ParsedOptions {
    Options options;
    // Why the command line is not usable: the string id of the reason and
    // what fills its placeholders; 0 when it is usable. The text is made
    // only when it is shown, so that it comes in the language chosen by then.
    unsigned errorText = 0;
    std::vector<std::string> errorArguments;

    // The reason in one line, in the current language; empty when usable.
    std::string Error() const;
};

// Reads argv[1..]. Paths are made absolute against the current folder.
ParsedOptions ParseOptions(int argc, const char* const* argv);

// The port plan of --ports-base: pairing base..base+2, monitor +3..+5, backup
// +6..+8, beacon +9, disconnect notice +10, send +11, user disconnect +12.
PortPlan PortPlanFromBase(int base);
inline constexpr int kPortsInPlan = 13;

// Link timings short enough for tests and demos: seconds instead of tens.
Timing QuickTiming();
// With --quick-timing the update check, when due, runs this soon after start.
inline constexpr std::chrono::milliseconds kQuickUpdateDelay{2000};

// The --help text, every line wrapped to that many columns (the terminal's
// width; 80 when the output is no terminal). Double-width characters count
// two columns, combining marks none.
inline constexpr std::size_t kHelpColumnsOffTerminal = 80;
std::string UsageText(std::size_t columns = kHelpColumnsOffTerminal);

// The text's words (its line breaks read as blanks) in lines of at most
// `width` columns, the first `firstUsed` columns of the first line already
// taken, each further line after `indent` blanks; Chinese and Japanese break
// between characters, but never before a closing mark or after an opening one.
std::string WrapToWidth(std::string_view text, std::size_t width, std::size_t indent = 0,
                        std::size_t firstUsed = 0);

// The columns a text takes in a terminal.
std::size_t DisplayColumns(std::string_view text);

}  // namespace harbrook
