// The window front end of this build, or nothing when it has none or
// cannot show a window here (no display).
#pragma once

#include <cstdlib>
#include <memory>

#include "app/startup.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeWindowHost(const Options& options);

// Called first thing in main: a build whose window lives in a program of its
// own replaces this process with it when a window is wanted, and returns
// only when not (or when that program cannot be started).
void HandOverToWindowProgram(int argc, char** argv);

// An X11 or Wayland display to show a window on.
inline bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace harbrook
