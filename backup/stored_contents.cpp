#include "backup/stored_contents.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/file_io.h"

namespace harbrook {
namespace {

// Lines recorded in this backup are looked at one by one until this many.
constexpr std::size_t kTailLength = 1024;

// The digest's first four bytes mixed with the size.
std::uint32_t Key(std::int64_t size, const Sha256Digest& digest) {
    const std::uint32_t tag = static_cast<std::uint32_t>(digest[0]) << 24 |
                              static_cast<std::uint32_t>(digest[1]) << 16 |
                              static_cast<std::uint32_t>(digest[2]) << 8 | digest[3];
    const auto mixed = static_cast<std::uint64_t>(size) * 0x9E3779B97F4A7C15ULL;
    return tag ^ static_cast<std::uint32_t>(mixed >> 32);
}

}  // namespace

bool StoredContents::Open(const std::filesystem::path& phoneFolder) {
    m_phoneFolder = phoneFolder;
    m_sorted.clear();
    m_tail.clear();
    const std::filesystem::path manifest = phoneFolder / kManifestFileName;
    // Cut lines are the appender's to remove, before the offsets are read.
    if (!m_appender.Open(manifest)) return false;
    // Read straight into the sorted part, sorted once at the end.
    ReadManifest(manifest, [this](ManifestEntry&& entry, std::uint64_t offset) {
        if (offset <= std::numeric_limits<std::uint32_t>::max())
            m_sorted.push_back({Key(entry.size, entry.digest), static_cast<std::uint32_t>(offset)});
    });
    std::sort(m_sorted.begin(), m_sorted.end());
    // Opened for reading at the first look-up: a manifest that is not there
    // yet is made by the first line recorded.
    m_reader.close();
    return true;
}

void StoredContents::Add(std::int64_t size, const Sha256Digest& digest, std::uint64_t offset) {
    if (offset > std::numeric_limits<std::uint32_t>::max()) return;
    m_tail.push_back({Key(size, digest), static_cast<std::uint32_t>(offset)});
    if (m_tail.size() >= kTailLength) Merge();
}

// From the back, in place: no buffer the size of the whole (which
// std::inplace_merge would take).
void StoredContents::Merge() {
    std::sort(m_tail.begin(), m_tail.end());
    std::size_t old = m_sorted.size();
    std::size_t added = m_tail.size();
    m_sorted.resize(old + added);
    for (std::size_t to = old + added; added > 0;) {
        if (old > 0 && m_tail[added - 1] < m_sorted[old - 1])
            m_sorted[--to] = m_sorted[--old];
        else
            m_sorted[--to] = m_tail[--added];
    }
    m_tail.clear();
}

std::optional<std::filesystem::path> StoredContents::Find(std::int64_t size,
                                                          const Sha256Digest& digest,
                                                          const std::filesystem::path& preferred) {
    if (!IsOpen()) return std::nullopt;
    // A line says what a file held once; only the file says what it holds
    // now (another copy may have replaced it since, or it may have rotted).
    const auto holds = [&](const std::filesystem::path& file) {
        std::error_code ec;
        if (platform::ProbePath(file) != platform::PathKind::File ||
            std::filesystem::file_size(file, ec) != static_cast<std::uintmax_t>(size) || ec)
            return false;
        const auto now = DigestFile(file);
        return now && now->size == size && now->digest == digest;
    };
    // The same name first: a file sent again most often is the one there.
    if (!preferred.empty() && holds(preferred)) return preferred;
    const Slot key{Key(size, digest), 0};
    std::vector<std::uint32_t> offsets;
    const auto range = std::equal_range(m_sorted.begin(), m_sorted.end(), key);
    for (auto it = range.first; it != range.second; ++it) offsets.push_back(it->offset);
    for (const Slot& slot : m_tail)
        if (slot.key == key.key) offsets.push_back(slot.offset);
    // Newest first: the file most likely still as it was.
    std::sort(offsets.rbegin(), offsets.rend());
    if (!offsets.empty() && !m_reader.is_open())
        m_reader.open(m_phoneFolder / kManifestFileName, std::ios::binary);
    std::string text;
    for (const std::uint32_t offset : offsets) {
        m_reader.clear();
        m_reader.seekg(static_cast<std::streamoff>(offset));
        if (!std::getline(m_reader, text)) continue;
        const auto entry = ParseManifestLine(text);
        if (!entry || entry->digest != digest || entry->size != size) continue;
        const auto file = ManifestFile(m_phoneFolder, entry->path);
        if (file != preferred && holds(file)) return file;
    }
    return std::nullopt;
}

bool StoredContents::Record(const std::filesystem::path& file, std::int64_t size,
                            const Sha256Digest& digest, const std::string& backup) {
    if (!IsOpen()) return false;
    ManifestEntry entry{ManifestPath(m_phoneFolder, file), size, digest, backup};
    if (entry.path.empty()) return false;
    const auto offset = m_appender.Append(entry);
    if (!offset) return false;
    Add(size, digest, *offset);
    return true;
}

}  // namespace harbrook
