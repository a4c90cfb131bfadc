// harbrook-phone: a stand-in for the phone app, for tests and benchmarks.
// Each command lives in its own cmd_*.cpp; this only dispatches.
#include <cstdio>
#include <string_view>

#include "tools/phone/commands.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(int argc, char** argv);
    std::string_view summary;
};

constexpr Command kCommands[] = {
    {"backup", harbrook::phone::RunBackupCommand, "back files and folders up to the PC"},
    {"receive", harbrook::phone::RunReceiveCommand, "take the files that the PC sends"},
};

void PrintUsage(std::FILE* out) {
    std::fputs("Usage: harbrook-phone <command> [options]   (<command> --help for its options)\n",
               out);
    for (const Command& c : kCommands)
        std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                     static_cast<int>(c.summary.size()), c.summary.data());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& c : kCommands)
        if (c.name == command) return c.run(argc - 2, argv + 2);
    std::fprintf(stderr, "harbrook-phone: unknown command %s\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
