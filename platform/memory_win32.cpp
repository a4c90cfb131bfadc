#include <windows.h>

#include "platform/memory.h"

namespace harbrook::platform {

void ReturnFreeMemory() {
    ::HeapCompact(::GetProcessHeap(), 0);
}

}  // namespace harbrook::platform
