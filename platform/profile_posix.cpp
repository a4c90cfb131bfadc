// INI files on POSIX with the behaviour of the Windows profile functions that
// the program relies on. Lines are kept as they are except the one written,
// so a user's comments and other keys survive a write.
#include <vector>

#include "platform/file_store_posix.h"
#include "platform/profile.h"
#include "platform/profile_text_posix.h"
#include "platform/utf8.h"

namespace harbrook::platform {
namespace {

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// A file we can work with is text: valid UTF-8 without NUL bytes.
bool Parsable(std::string_view content) {
    return content.find('\0') == std::string_view::npos && IsValidUtf8(content);
}

std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// Splits "key=value" into trimmed parts; comments and other lines give nothing.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::pair{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

std::string CutToCapacity(std::string_view text, std::size_t capacity) {
    if (capacity == 0) return {};
    return std::string(CutToUtf16Units(text, capacity - 1));
}

}  // namespace

namespace posix {

std::string LookUpProfileText(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t capacity) {
    if (!Parsable(content)) return CutToCapacity(defaultValue, capacity);
    bool inSection = false;
    for (std::string_view line : SplitLines(content)) {
        if (auto name = SectionName(line)) {
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection) continue;
        if (auto kv = KeyValue(line); kv && SameName(kv->first, key)) {
            std::string_view value = kv->second;
            // Like Windows, a value wrapped in matching quotes is read without them.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return CutToCapacity(value, capacity);
        }
    }
    return CutToCapacity(defaultValue, capacity);
}

std::optional<std::string> SetProfileText(std::string_view content, std::string_view section,
                                          std::string_view key, std::string_view value) {
    if (section.empty() || key.empty()) return std::nullopt;
    const auto noBreak = [](std::string_view s) { return s.find_first_of("\r\n") == s.npos; };
    if (!noBreak(section) || !noBreak(key) || !noBreak(value) || key.find('=') != key.npos)
        return std::nullopt;
    if (!Parsable(content)) content = {};
    const std::string entry = std::string(key) + "=" + std::string(value);
    std::vector<std::string_view> lines = SplitLines(content);
    std::string out;
    bool inSection = false;
    bool sectionSeen = false;
    bool done = false;
    std::size_t insertAfter = 0;  // end of the last non-blank line of the section
    std::vector<std::string> result;
    for (std::string_view line : lines) {
        if (auto name = SectionName(line)) {
            if (inSection && !done) {
                result.insert(result.begin() + static_cast<long>(insertAfter), entry);
                done = true;
            }
            inSection = !done && SameName(*name, section);
            sectionSeen = sectionSeen || inSection;
            result.emplace_back(line);
            insertAfter = result.size();
            continue;
        }
        if (inSection && !done) {
            if (auto kv = KeyValue(line); kv && SameName(kv->first, key)) {
                result.push_back(entry);
                done = true;
                continue;
            }
            if (!Trim(line).empty()) insertAfter = result.size() + 1;
        }
        result.emplace_back(line);
    }
    if (inSection && !done) {
        result.insert(result.begin() + static_cast<long>(insertAfter), entry);
        done = true;
    }
    if (!done) {
        if (!result.empty() && !Trim(result.back()).empty()) result.emplace_back();
        if (!sectionSeen) result.push_back("[" + std::string(section) + "]");
        result.push_back(entry);
    }
    for (const std::string& line : result) {
        out += line;
        out += '\n';
    }
    // A file that ended without a blank last line had one empty split piece at most.
    return out;
}

}  // namespace posix

std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t capacity) {
    std::optional<std::string> content;
    {
        posix::FileLock lock(file);
        bool unreadable = false;
        content = posix::ReadWholeFile(file, unreadable);
    }
    return posix::LookUpProfileText(content.value_or(std::string()), section, key, defaultValue,
                                    capacity);
}

bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value) {
    if (!posix::SetProfileText({}, section, key, value)) return false;
    posix::FileLock lock(file);
    bool unreadable = false;
    std::string content = posix::ReadWholeFile(file, unreadable).value_or(std::string());
    if (unreadable || !Parsable(content)) {
        const char* why = unreadable ? "not a readable file" : "not a text settings file";
        if (!posix::SetAsideCorruptFile(file, why)) return false;
        content.clear();
    }
    const auto out = posix::SetProfileText(content, section, key, value);
    return out && posix::ReplaceFileAtomically(file, *out);
}

}  // namespace harbrook::platform
