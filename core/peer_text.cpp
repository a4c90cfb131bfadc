#include "core/peer_text.h"

#include <cstdint>
#include <cstdio>

#include "platform/utf8.h"

namespace harbrook {
namespace {

// Length of the UTF-8 sequence at the start of `text`; 0 when it is none.
std::size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (n > text.size() || !platform::IsValidUtf8(text.substr(0, n))) return 0;
    return n;
}

std::uint32_t CodePoint(std::string_view seq) {
    if (seq.size() == 1) return static_cast<unsigned char>(seq[0]);
    std::uint32_t cp = static_cast<unsigned char>(seq[0]) & (0x7F >> seq.size());
    for (std::size_t i = 1; i < seq.size(); ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(seq[i]) & 0x3F);
    return cp;
}

bool IsIsolate(std::uint32_t cp) {
    return cp >= 0x2066 && cp <= 0x2069;
}

bool ActsOnTheTerminal(std::uint32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) ||
           IsIsolate(cp);
}

std::string Escaped(std::string_view text, bool keepIsolates) {
    std::string out;
    out.reserve(text.size());
    char escape[12];
    while (!text.empty()) {
        const std::size_t n = SequenceLength(text);
        if (n == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[0]));
            out += escape;
            text.remove_prefix(1);
            continue;
        }
        const std::uint32_t cp = CodePoint(text.substr(0, n));
        if (ActsOnTheTerminal(cp) && !(keepIsolates && IsIsolate(cp))) {
            if (cp < 0x100)
                std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(cp));
            else
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(cp));
            out += escape;
        } else {
            out.append(text.substr(0, n));
        }
        text.remove_prefix(n);
    }
    return out;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    return Escaped(text, false);
}

std::string EscapeControlsKeepingIsolates(std::string_view text) {
    return Escaped(text, true);
}

}  // namespace harbrook
