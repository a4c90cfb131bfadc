#include <unistd.h>

#include "platform/console.h"

namespace harbrook::platform {

void UseUtf8Console() {}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

}  // namespace harbrook::platform
