#include "platform/memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace harbrook::platform {

void ReturnFreeMemory() {
#if defined(__GLIBC__)
    // Every arena, the free pages in the middle of one too.
    ::malloc_trim(0);
#endif
}

}  // namespace harbrook::platform
