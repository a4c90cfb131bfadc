#include "platform/hive_format_posix.h"

namespace harbrook::platform::posix {
namespace {

constexpr std::string_view kMagic = "HARBROOK-HIVE 1";
constexpr std::string_view kEnd = "END";

std::string Escape(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '%' || c == '=' || c == '[' || c == ']') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int v = 0;
        for (std::size_t k = 1; k <= 2; ++k) {
            const char c = text[i + k];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= c - '0';
            else if (c >= 'A' && c <= 'F')
                v |= c - 'A' + 10;
            else
                return std::nullopt;
        }
        out += static_cast<char>(v);
        i += 2;
    }
    return out;
}

}  // namespace

std::optional<Hive> ParseHive(std::string_view text) {
    Hive hive;
    std::size_t pos = 0;
    std::vector<std::string_view> lines;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) return std::nullopt;  // every line ends in '\n'
        lines.push_back(text.substr(pos, nl - pos));
        pos = nl + 1;
    }
    if (lines.size() < 2 || lines.front() != kMagic || lines.back() != kEnd) return std::nullopt;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            auto path = Unescape(line.substr(1, line.size() - 2));
            if (!path || path->empty()) return std::nullopt;
            hive.push_back(HiveKey{std::move(*path), {}});
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || hive.empty()) return std::nullopt;
        auto name = Unescape(line.substr(0, eq));
        auto value = Unescape(line.substr(eq + 1));
        if (!name || !value) return std::nullopt;
        hive.back().values.emplace_back(std::move(*name), std::move(*value));
    }
    return hive;
}

std::string SerializeHive(const Hive& hive) {
    std::string out(kMagic);
    out += '\n';
    for (const HiveKey& key : hive) {
        out += '[' + Escape(key.path) + "]\n";
        for (const auto& [name, value] : key.values)
            out += Escape(name) + '=' + Escape(value) + '\n';
    }
    out += kEnd;
    out += '\n';
    return out;
}

}  // namespace harbrook::platform::posix
