#include <sys/ioctl.h>
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

std::optional<std::size_t> TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (!IsTerminal(stream) || ::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0 ||
        size.ws_col == 0) {
        return std::nullopt;
    }
    return size.ws_col;
}

}  // namespace harbrook::platform
