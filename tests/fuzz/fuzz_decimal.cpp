// Sizes and totals from the wire: read exactly as the C library reads them,
// and our own numbers read back unchanged.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/decimal_text.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The C library stops at the first zero byte; so does a frame's text.
    const std::int64_t reference = std::strtoll(text.c_str(), nullptr, 10);
    FUZZ_CHECK(harbrook::ParseDecimal64(text.substr(0, text.find('\0'))) == reference);
    if (size >= sizeof(std::int64_t)) {
        std::int64_t value = 0;
        for (std::size_t i = 0; i < sizeof value; ++i) value = (value << 8) | data[i];
        FUZZ_CHECK(harbrook::ParseDecimal64(harbrook::FormatDecimal64(value)) == value);
    }
    return 0;
}
