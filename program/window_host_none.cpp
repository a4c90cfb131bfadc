#include <cstdio>

#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "program/window_host.h"

namespace harbrook {

// This build has no window front end: every start runs in the terminal.
std::unique_ptr<FrontEndHost> MakeWindowHost(const Options&) {
    if (HasDisplay())
        std::fprintf(stderr, "%s%s\n", ProgramLinePrefix().c_str(),
                     LoadUiString(kStrNoWindow, 512).c_str());
    return nullptr;
}

void HandOverToWindowProgram(int, char**) {}

}  // namespace harbrook
