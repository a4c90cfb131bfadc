// The process's own memory.
#pragma once

namespace harbrook::platform {

// Gives the pages that the allocator holds free back to the system, so that
// what a finished backup used does not stay resident until the next one.
void ReturnFreeMemory();

}  // namespace harbrook::platform
