#include <cstdio>

#include "program/window_host.h"

namespace harbrook {

// This build has no window front end: every start runs in the terminal.
std::unique_ptr<FrontEndHost> MakeWindowHost(const Options&) {
    if (HasDisplay())
        std::fputs("harbrook: this build has no window; running in the terminal\n", stderr);
    return nullptr;
}

}  // namespace harbrook
