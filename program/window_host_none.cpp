#include <cstdio>

#include "locale/ui_strings.h"
#include "program/window_host.h"

namespace harbrook {

// This build has no window front end: every start runs in the terminal.
std::unique_ptr<FrontEndHost> MakeWindowHost(const Options&) {
    constexpr unsigned kNoWindowText = 423;
    if (HasDisplay())
        std::fprintf(stderr, "harbrook: %s\n", LoadUiString(kNoWindowText, 512).c_str());
    return nullptr;
}

void HandOverToWindowProgram(int, char**) {}

}  // namespace harbrook
