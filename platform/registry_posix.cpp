// The registry on POSIX: one text hive per user,
// $XDG_CONFIG_HOME/harbrook/registry.hive (default ~/.config). Every operation
// reads the file afresh under the file lock, and every change replaces it
// atomically, so concurrent threads and processes see whole states only.
//
// Format: a first line "HARBROOK-HIVE 1", then "[key path]" lines each followed
// by "name=value" lines, and a last line "END" (a file without it was cut and
// is not trusted). Key paths, names and values are %XX-escaped where they hold
// '%', '=', '[', ']' or control bytes. Names compare without regard to ASCII
// case, as in the Windows registry.
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/file_store_posix.h"
#include "platform/registry.h"

namespace harbrook::platform {
namespace {

constexpr std::string_view kMagic = "HARBROOK-HIVE 1";
constexpr std::string_view kEnd = "END";

struct HiveKey {
    std::string path;
    std::vector<std::pair<std::string, std::string>> values;
};
using Hive = std::vector<HiveKey>;

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::filesystem::path HivePath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/tmp") / ".config";
    }
    return base / "harbrook" / "registry.hive";
}

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

std::optional<Hive> Parse(std::string_view text) {
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

std::string Serialize(const Hive& hive) {
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

// Loads the hive; a missing file is an empty hive. A damaged file is set aside
// (and reported) and then counts as empty; nothing when it could not be moved.
std::optional<Hive> Load(const std::filesystem::path& file) {
    auto content = posix::ReadWholeFile(file);
    if (!content) return Hive{};
    if (auto hive = Parse(*content)) return hive;
    if (!posix::SetAsideCorruptFile(file, "damaged registry hive")) return std::nullopt;
    return Hive{};
}

HiveKey* FindKey(Hive& hive, std::string_view path) {
    for (HiveKey& key : hive)
        if (SameName(key.path, path)) return &key;
    return nullptr;
}

bool ValidKeyPath(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
    return path.find("\\\\") == std::string_view::npos;
}

}  // namespace

struct RegistryKey::Impl {
    std::string path;
    bool open = false;
};

RegistryKey::RegistryKey() : m_impl(std::make_unique<Impl>()) {}
RegistryKey::~RegistryKey() = default;

void RegistryKey::Close() {
    m_impl->open = false;
    m_impl->path.clear();
}

bool RegistryKey::CreateKey(std::string_view path) {
    Close();
    if (!ValidKeyPath(path)) return false;
    const auto file = HivePath();
    posix::FileLock lock(file);
    auto hive = Load(file);
    if (!hive) return false;
    bool changed = false;
    // Every level exists as a key of its own, as in the Windows registry.
    for (std::size_t end = 0; end != std::string_view::npos;) {
        end = path.find('\\', end + 1);
        const std::string_view level = path.substr(0, end);
        if (!FindKey(*hive, level)) {
            hive->push_back(HiveKey{std::string(level), {}});
            changed = true;
        }
    }
    if (changed && !posix::ReplaceFileAtomically(file, Serialize(*hive))) return false;
    m_impl->path = std::string(path);
    m_impl->open = true;
    return true;
}

bool RegistryKey::Open(std::string_view path) {
    Close();
    if (!ValidKeyPath(path)) return false;
    const auto file = HivePath();
    posix::FileLock lock(file);
    auto hive = Load(file);
    if (!hive || !FindKey(*hive, path)) return false;
    m_impl->path = std::string(path);
    m_impl->open = true;
    return true;
}

bool RegistryKey::Read(std::string_view name, std::string& value) const {
    if (!m_impl->open) return false;
    const auto file = HivePath();
    posix::FileLock lock(file);
    auto hive = Load(file);
    if (!hive) return false;
    const HiveKey* key = FindKey(*hive, m_impl->path);
    if (!key) return false;
    for (const auto& [n, v] : key->values) {
        if (SameName(n, name)) {
            value = v;
            return true;
        }
    }
    return false;
}

bool RegistryKey::Write(std::string_view name, std::string_view value) {
    if (!m_impl->open) return false;
    const auto file = HivePath();
    posix::FileLock lock(file);
    auto hive = Load(file);
    if (!hive) return false;
    HiveKey* key = FindKey(*hive, m_impl->path);
    if (!key) {
        // Removed behind our back (or the hive was set aside): recreate it.
        hive->push_back(HiveKey{m_impl->path, {}});
        key = &hive->back();
    }
    bool found = false;
    for (auto& [n, v] : key->values) {
        if (SameName(n, name)) {
            v = std::string(value);
            found = true;
            break;
        }
    }
    if (!found) key->values.emplace_back(std::string(name), std::string(value));
    return posix::ReplaceFileAtomically(file, Serialize(*hive));
}

}  // namespace harbrook::platform
