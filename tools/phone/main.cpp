// harbrook-phone: a stand-in for the phone app, for people testing a PC and
// for tests and benchmarks. "backup" and "receive" take their own command
// lines; every other command goes through the shared options of phone_cli.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "tools/phone/commands.h"
#include "tools/phone/phone_cli.h"

int main(int argc, char** givenArgv) {
    // Arguments as UTF-8 on every system (folder and file names above all).
    std::vector<std::string> args = harbrook::platform::CommandLineUtf8(argc, givenArgv);
    std::vector<char*> pointers;
    for (auto& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    argc = static_cast<int>(args.size());
    char** argv = pointers.data();
    if (argc >= 2) {
        const std::string_view command = argv[1];
        if (command == "backup") return harbrook::phone::RunBackupCommand(argc - 2, argv + 2);
        if (command == "receive") return harbrook::phone::RunReceiveCommand(argc - 2, argv + 2);
    }
    const int status = harbrook::phone::PhoneMain(argc, argv);
    if (argc < 2 || std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h") {
        std::fputs(
            "\n  backup <dir> ...   back files and folders up to the PC (backup --help)\n"
            "  receive ...        take the files that the PC sends (receive --help)\n",
            argc < 2 ? stderr : stdout);
    }
    return status;
}
