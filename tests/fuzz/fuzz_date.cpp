// Moments in the history file: only real ones are read, and they read back
// to the same text.
#include <cstdint>
#include <string>

#include "app/backup_history.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int64_t seconds = 0;
    if (harbrook::ParseUtc(text, seconds)) FUZZ_CHECK(harbrook::FormatUtc(seconds) == text);
    return 0;
}
