#include <unistd.h>

#include "platform/console.h"

namespace harbrook::platform {

void AttachParentConsole() {}

void ReportStartupFailure(const std::string& text) {
    std::fprintf(stderr, "harbrook: %s\n", text.c_str());
}

void UseUtf8Console() {}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

}  // namespace harbrook::platform
