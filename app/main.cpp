// The harbrook executable. Until the window front end exists, every start
// runs the console front end.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/quit_request.h"
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
    return harbrook::RunHarbrook(argc, argv, [](const harbrook::Options& options) {
        if (!options.headless && HasDisplay()) {
            std::fputs("harbrook: this build has no window yet; running in the terminal\n", stderr);
        }
        return harbrook::MakeConsoleHost();
    });
}
