#include <unistd.h>

#include "platform/console.h"

namespace harbrook::platform {

void AttachParentConsole() {}

void ReportStartupFailure(const std::string& text, const std::string& linePrefix) {
    std::fprintf(stderr, "%s%s\n", linePrefix.c_str(), text.c_str());
}

void UseUtf8Console() {}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

}  // namespace harbrook::platform
