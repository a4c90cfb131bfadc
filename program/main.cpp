// The harbrook executable (and on Linux harbrook-window, the same with the Qt
// window): the window front end where one can be shown (on Windows always),
// the console with --headless, without a display, or in a build without a
// window.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/console.h"
#include "platform/quit_request.h"
#include "platform/text.h"
#include "program/window_host.h"
#include "ui/console/console_host.h"

int main(int argc, char** argv) {
    // Before anything is written: a start from a console writes there.
    harbrook::platform::AttachParentConsole();
    harbrook::HandOverToWindowProgram(argc, argv);
    // Before any thread exists, so that all of them inherit it.
    harbrook::platform::BlockQuitRequests();
    // Every line (and the QR code's block characters) is written as UTF-8.
    harbrook::platform::UseUtf8Console();
    const std::vector<std::string> args = harbrook::platform::CommandLineUtf8(argc, argv);
    std::vector<const char*> utf8Argv;
    for (const auto& arg : args) utf8Argv.push_back(arg.c_str());
    utf8Argv.push_back(nullptr);
    return harbrook::RunHarbrook(static_cast<int>(args.size()), utf8Argv.data(),
                                 [](const harbrook::Options& options) {
                                     if (!options.headless) {
                                         if (auto window = harbrook::MakeWindowHost(options))
                                             return window;
                                     }
                                     return harbrook::MakeConsoleHost();
                                 });
}
