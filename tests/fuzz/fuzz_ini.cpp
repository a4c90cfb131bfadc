// The INI files off Windows (language choice, reminder dates): any text reads
// safely, results respect the caller's buffer, and what we write reads back.
// Input: section, key and value on the first three lines, the file after.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/profile_text_posix.h"
#include "platform/utf8.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string_view NextLine(std::string_view& text) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    return line;
}

// A name or value that reads back as written: no blanks around it, no line
// break, nothing the reader takes for a comment, a section or quotes.
bool Plain(std::string_view s, bool name) {
    if (s.empty() || !harbrook::platform::IsValidUtf8(s)) return false;
    for (char c : s)
        if (c == '\0' || c == '\r' || c == '\n' || (name && (c == '=' || c == ']'))) return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(s.front()) || blank(s.back())) return false;
    if (s.front() == ';' || s.front() == '[' || s.front() == '"' || s.front() == '\'') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace harbrook::platform;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view section = NextLine(input), key = NextLine(input);
    const std::string_view value = NextLine(input), content = input;

    const std::size_t capacity = size % 64;
    const std::string found = posix::LookUpProfileText(content, section, key, "none", capacity);
    FUZZ_CHECK(capacity == 0 ? found.empty() : Utf16Units(found) < capacity);

    const auto written = posix::SetProfileText(content, section, key, value);
    if (written && Plain(section, true) && Plain(key, true) && Plain(value, false))
        FUZZ_CHECK(posix::LookUpProfileText(*written, section, key, "", 4096) == value);
    return 0;
}
