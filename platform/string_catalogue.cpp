#include "platform/string_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "platform/utf8.h"

namespace harbrook::platform {
namespace {

constexpr std::size_t kNumberWidth = 10;
constexpr std::size_t kIndexLine = 3 * (kNumberWidth + 1);  // three numbers, two blanks, "\n"

// Exactly kNumberWidth decimal digits at `at`.
std::optional<std::size_t> ReadNumber(std::string_view bytes, std::size_t at) {
    if (bytes.size() < at || bytes.size() - at < kNumberWidth) return std::nullopt;
    std::size_t value = 0;
    for (std::size_t i = at; i < at + kNumberWidth; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(bytes[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<StringCatalogue> StringCatalogue::Parse(std::string bytes) {
    const std::string_view all = bytes;
    if (all.size() > kMaxBytes || all.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    std::size_t at = kMagic.size();
    const auto count = ReadNumber(all, at);
    at += kNumberWidth;
    if (!count || all.size() <= at || all[at] != '\n') return std::nullopt;
    ++at;
    // Every index line needs its bytes: this bounds the count before anything
    // is reserved for it.
    if (*count > (all.size() - at) / kIndexLine) return std::nullopt;
    const std::size_t texts = at + *count * kIndexLine;
    const std::size_t textBytes = all.size() - texts;

    StringCatalogue catalogue;
    catalogue.m_index.reserve(*count);
    for (std::size_t i = 0; i < *count; ++i, at += kIndexLine) {
        const auto id = ReadNumber(all, at);
        const auto offset = ReadNumber(all, at + kNumberWidth + 1);
        const auto length = ReadNumber(all, at + 2 * (kNumberWidth + 1));
        if (!id || !offset || !length || all[at + kNumberWidth] != ' ' ||
            all[at + 2 * kNumberWidth + 1] != ' ' || all[at + kIndexLine - 1] != '\n') {
            return std::nullopt;
        }
        if (*id > kMaxId) return std::nullopt;
        if (!catalogue.m_index.empty() && *id <= catalogue.m_index.back().id) return std::nullopt;
        if (*offset > textBytes || *length > textBytes - *offset) return std::nullopt;
        const std::string_view text = all.substr(texts + *offset, *length);
        if (!IsValidUtf8(text) || text.find('\0') != std::string_view::npos) return std::nullopt;
        catalogue.m_index.push_back({static_cast<unsigned>(*id), texts + *offset, *length});
    }
    catalogue.m_bytes = std::move(bytes);
    return catalogue;
}

std::optional<StringCatalogue> StringCatalogue::ReadFile(const std::filesystem::path& file) {
    // Read in one piece of the file's own size: the catalogue keeps the
    // bytes for the whole run, so no room beyond them is held.
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxBytes) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) return std::nullopt;
    return Parse(std::move(bytes));
}

std::optional<std::string_view> StringCatalogue::Find(unsigned id) const {
    const auto it = std::lower_bound(m_index.begin(), m_index.end(), id,
                                     [](const Entry& e, unsigned wanted) { return e.id < wanted; });
    if (it == m_index.end() || it->id != id) return std::nullopt;
    return std::string_view(m_bytes).substr(it->offset, it->length);
}

std::string BuildStringCatalogue(const std::vector<std::pair<unsigned, std::string>>& texts) {
    char number[kNumberWidth + 2];
    std::string out(StringCatalogue::kMagic);
    std::snprintf(number, sizeof number, "%010zu\n", texts.size());
    out += number;
    std::string blob;
    for (const auto& [id, text] : texts) {
        char line[kIndexLine + 1];
        std::snprintf(line, sizeof line, "%010u %010zu %010zu\n", id, blob.size(), text.size());
        out += line;
        blob += text;
    }
    return out + blob;
}

}  // namespace harbrook::platform
