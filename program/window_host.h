// The window front end of this build, or nothing when it has none or
// cannot show a window here (no display).
#pragma once

#include <cstdlib>
#include <memory>

#include "app/startup.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeWindowHost(const Options& options);

// An X11 or Wayland display to show a window on.
inline bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace harbrook
