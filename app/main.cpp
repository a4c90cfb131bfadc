// The harbrook executable. Until the window front end exists, every start
// runs the console front end.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/console.h"
#include "platform/quit_request.h"
#include "platform/text.h"
#include "ui/console/console_host.h"

namespace {
bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}
}  // namespace

int main(int argc, char** argv) {
    // Before any thread exists, so that all of them inherit it.
    harbrook::platform::BlockQuitRequests();
    // Every line (and the QR code's block characters) is written as UTF-8.
    harbrook::platform::UseUtf8Console();
    const std::vector<std::string> args = harbrook::platform::CommandLineUtf8(argc, argv);
    std::vector<const char*> utf8Argv;
    for (const auto& arg : args) utf8Argv.push_back(arg.c_str());
    utf8Argv.push_back(nullptr);
    return harbrook::RunHarbrook(
        static_cast<int>(args.size()), utf8Argv.data(), [](const harbrook::Options& options) {
            if (!options.headless && HasDisplay()) {
                std::fputs("harbrook: this build has no window yet; running in the terminal\n",
                           stderr);
            }
            return harbrook::MakeConsoleHost();
        });
}
