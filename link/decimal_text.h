// Sizes travel as decimal text. They are read the way the C library's 64-bit
// text-to-integer conversion reads them, so both ends agree on odd input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace harbrook {

// Leading white space and one sign are accepted; reading stops at the first
// character that is not a digit; no digits read as 0; values beyond the
// 64-bit range saturate.
std::int64_t ParseDecimal64(std::string_view text);

// The number as decimal text, as the peer expects it.
std::string FormatDecimal64(std::int64_t value);

}  // namespace harbrook
