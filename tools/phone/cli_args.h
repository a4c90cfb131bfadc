// Small helpers for the commands' options.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace harbrook::phone {

inline std::optional<std::int64_t> ParseCount(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace harbrook::phone
