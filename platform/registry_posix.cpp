// The registry on POSIX: one text hive per user,
// $XDG_CONFIG_HOME/harbrook/registry.hive (default ~/.config). The parsed hive
// is kept in memory with an index of its keys; every operation takes the file
// lock and reads the file again only when it changed since (its inode, size or
// time stamp differ), and every change replaces it atomically, so concurrent
// threads and processes see whole states only. A lookup costs the same with
// five phone records as with five thousand. The file format is described in
// hive_format_posix.h.
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/file_store_posix.h"
#include "platform/hive_format_posix.h"
#include "platform/registry.h"

namespace harbrook::platform {
namespace {

using posix::Hive;
using posix::HiveKey;

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

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// What tells one state of the hive file from another without reading it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp Stamp(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return {};
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

// The hive as last read or written, with its keys indexed by lower-case path.
// Used under the file lock only, which also serialises the threads.
class CachedHive {
  public:
    // The hive of `file`, read again only when the file changed; a missing
    // file is an empty hive. A damaged or unreadable file is set aside (and
    // reported) and then counts as empty; nothing when it could not be moved.
    Hive* Load(const std::filesystem::path& file) {
        const FileStamp stamp = Stamp(file);
        if (m_valid && file == m_file && stamp == m_stamp) return &m_hive;
        m_valid = false;
        m_hive.clear();
        bool unreadable = false;
        auto content = posix::ReadWholeFile(file, unreadable);
        if (content || unreadable) {
            auto parsed = content ? posix::ParseHive(*content) : std::nullopt;
            if (parsed) {
                m_hive = std::move(*parsed);
            } else {
                const char* why = unreadable ? "not a readable file" : "damaged registry hive";
                if (!posix::SetAsideCorruptFile(file, why)) return nullptr;
            }
        }
        m_index.clear();
        for (std::size_t i = 0; i < m_hive.size(); ++i) m_index.emplace(Lower(m_hive[i].path), i);
        m_file = file;
        m_stamp = Stamp(file);
        m_valid = true;
        return &m_hive;
    }

    HiveKey* Find(std::string_view path) {
        const auto it = m_index.find(Lower(path));
        return it == m_index.end() ? nullptr : &m_hive[it->second];
    }

    HiveKey& Add(std::string_view path) {
        m_index.emplace(Lower(path), m_hive.size());
        return m_hive.emplace_back(HiveKey{std::string(path), {}});
    }

    // Writes the hive as it is in memory; on failure the memory no longer
    // matches the file and is read again next time.
    bool Save() {
        const bool ok = posix::ReplaceFileAtomically(m_file, posix::SerializeHive(m_hive));
        m_stamp = Stamp(m_file);
        m_valid = ok;
        return ok;
    }

  private:
    bool m_valid = false;
    std::filesystem::path m_file;
    FileStamp m_stamp;
    Hive m_hive;
    std::unordered_map<std::string, std::size_t> m_index;
};

CachedHive& Cache() {
    static CachedHive cache;
    return cache;
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
    CachedHive& cache = Cache();
    if (!cache.Load(file)) return false;
    bool changed = false;
    // Every level exists as a key of its own, as in the Windows registry.
    for (std::size_t end = 0; end != std::string_view::npos;) {
        end = path.find('\\', end + 1);
        const std::string_view level = path.substr(0, end);
        if (!cache.Find(level)) {
            cache.Add(level);
            changed = true;
        }
    }
    if (changed && !cache.Save()) return false;
    m_impl->path = std::string(path);
    m_impl->open = true;
    return true;
}

bool RegistryKey::Open(std::string_view path) {
    Close();
    if (!ValidKeyPath(path)) return false;
    const auto file = HivePath();
    posix::FileLock lock(file);
    CachedHive& cache = Cache();
    if (!cache.Load(file) || !cache.Find(path)) return false;
    m_impl->path = std::string(path);
    m_impl->open = true;
    return true;
}

bool RegistryKey::Read(std::string_view name, std::string& value) const {
    if (!m_impl->open) return false;
    const auto file = HivePath();
    posix::FileLock lock(file);
    CachedHive& cache = Cache();
    if (!cache.Load(file)) return false;
    const HiveKey* key = cache.Find(m_impl->path);
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
    CachedHive& cache = Cache();
    if (!cache.Load(file)) return false;
    HiveKey* key = cache.Find(m_impl->path);
    // Removed behind our back (or the hive was set aside): recreate it.
    if (!key) key = &cache.Add(m_impl->path);
    for (auto& [n, v] : key->values) {
        if (SameName(n, name)) {
            if (v == value) return true;  // nothing to write
            v = std::string(value);
            return cache.Save();
        }
    }
    key->values.emplace_back(std::string(name), std::string(value));
    return cache.Save();
}

}  // namespace harbrook::platform
