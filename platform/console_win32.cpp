#include <io.h>
#include <windows.h>

#include "platform/console.h"

namespace harbrook::platform {

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

}  // namespace harbrook::platform
