// The harbrook of a Linux build with a window: it holds no toolkit itself,
// so that a start in the terminal (a service, an SSH session, --headless)
// stays small and quick. Where a window can be shown it becomes the window
// program beside it, harbrook-window: same process, same arguments.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/folders.h"
#include "program/window_host.h"

namespace harbrook {

void HandOverToWindowProgram(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return;
    if (!HasDisplay()) return;
    const std::string program =
        (platform::ExecutablePath().parent_path() / "harbrook-window").string();
    argv[0] = const_cast<char*>(program.c_str());
    ::execv(program.c_str(), argv);
    // Not there or not startable: the terminal, as in a build without a window.
}

std::unique_ptr<FrontEndHost> MakeWindowHost(const Options&) {
    if (HasDisplay())
        std::fprintf(stderr, "%s%s\n", ProgramLinePrefix().c_str(),
                     LoadUiString(kStrNoWindow, 512).c_str());
    return nullptr;
}

}  // namespace harbrook
