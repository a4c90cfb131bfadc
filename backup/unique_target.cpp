#include <cstdio>
#include <limits>

#include "backup/backup_receiver.h"

namespace harbrook {

std::int64_t ParseDecimal64(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10)
            return negative ? std::numeric_limits<std::int64_t>::min() : kMax;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

bool CreateUniqueTargetFile(std::filesystem::path& path, platform::OutputFile& file) {
    const std::filesystem::path::string_type& native = path.native();
    const std::size_t dot = native.rfind(std::filesystem::path::value_type('.'));
    if (dot == native.npos || dot == 0) return false;
    std::filesystem::path candidate = path;
    for (int n = 1;; ++n) {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(candidate, ec);
        // Free, a folder, or unreadable: take it (creating it then fails for a folder).
        if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) break;
        if (n >= 200) break;  // all taken: the last one is overwritten
        char number[16];
        std::snprintf(number, sizeof number, "(%d)", n);
        auto numbered = native.substr(0, dot);
        for (const char* c = number; *c; ++c)
            numbered.push_back(static_cast<std::filesystem::path::value_type>(*c));
        numbered += native.substr(dot);
        candidate = std::filesystem::path(numbered);
    }
    path = candidate;
    return file.Create(path);
}

}  // namespace harbrook
