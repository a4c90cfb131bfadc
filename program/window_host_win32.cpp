#include "program/window_host.h"
#include "ui/win32/win32_host.h"

namespace harbrook {

// Windows always has a desktop to show the window on.
std::unique_ptr<FrontEndHost> MakeWindowHost(const Options& options) {
    return MakeWin32Host(options);
}

void HandOverToWindowProgram(int, char**) {}

}  // namespace harbrook
