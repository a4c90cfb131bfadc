#include "backup/stored_contents.h"

#include <algorithm>
#include <string>

#include "platform/file_io.h"

namespace harbrook {
namespace {

// Lines recorded in this backup are looked at one by one until this many.
constexpr std::size_t kTailLength = 1024;

}  // namespace

bool StoredContents::Open(const std::filesystem::path& phoneFolder) {
    m_phoneFolder = phoneFolder;
    m_sorted.clear();
    m_tail.clear();
    const std::filesystem::path manifest = phoneFolder / kManifestFileName;
    // Cut lines are the appender's to remove, before the offsets are read.
    if (!m_appender.Open(manifest)) return false;
    ReadManifest(manifest, [this](ManifestEntry&& entry, std::uint64_t offset) {
        m_sorted.push_back({entry.size, offset});
    });
    std::sort(m_sorted.begin(), m_sorted.end());
    m_reader.close();
    m_reader.open(manifest, std::ios::binary);
    return true;
}

void StoredContents::Merge() {
    std::sort(m_tail.begin(), m_tail.end());
    const auto middle = m_sorted.insert(m_sorted.end(), m_tail.begin(), m_tail.end());
    std::inplace_merge(m_sorted.begin(), middle, m_sorted.end());
    m_tail.clear();
}

std::optional<std::filesystem::path> StoredContents::Find(std::int64_t size,
                                                          const Sha256Digest& digest,
                                                          const std::filesystem::path& preferred) {
    if (!IsOpen()) return std::nullopt;
    std::vector<std::uint64_t> offsets;
    const auto range =
        std::equal_range(m_sorted.begin(), m_sorted.end(), Slot{size, 0},
                         [](const Slot& a, const Slot& b) { return a.size < b.size; });
    for (auto it = range.first; it != range.second; ++it) offsets.push_back(it->offset);
    for (const Slot& slot : m_tail)
        if (slot.size == size) offsets.push_back(slot.offset);
    if (offsets.empty()) return std::nullopt;
    std::sort(offsets.begin(), offsets.end());
    // The lines of this size, oldest first: a later line of the same path
    // (same size, other content) overrules an earlier one.
    std::vector<ManifestEntry> lines;
    std::string text;
    m_reader.clear();
    for (const std::uint64_t offset : offsets) {
        m_reader.seekg(static_cast<std::streamoff>(offset));
        if (!std::getline(m_reader, text)) continue;
        if (auto entry = ParseManifestLine(text)) lines.push_back(std::move(*entry));
        m_reader.clear();
    }
    const std::string preferredPath =
        preferred.empty() ? std::string() : ManifestPath(m_phoneFolder, preferred);
    std::optional<std::filesystem::path> found;
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (lines[i].digest != digest) continue;
        const bool overruled =
            std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end(),
                        [&](const ManifestEntry& e) { return e.path == lines[i].path; });
        if (overruled) continue;
        const std::filesystem::path file = ManifestFile(m_phoneFolder, lines[i].path);
        std::error_code ec;
        if (platform::ProbePath(file) == platform::PathKind::File &&
            std::filesystem::file_size(file, ec) == static_cast<std::uintmax_t>(size) && !ec) {
            if (lines[i].path == preferredPath) return preferred;
            if (!found) found = file;
        }
    }
    return found;
}

bool StoredContents::Record(const std::filesystem::path& file, std::int64_t size,
                            const Sha256Digest& digest, const std::string& backup) {
    if (!IsOpen()) return false;
    ManifestEntry entry{ManifestPath(m_phoneFolder, file), size, digest, backup};
    if (entry.path.empty()) return false;
    const auto offset = m_appender.Append(entry);
    if (!offset) return false;
    m_tail.push_back({size, *offset});
    if (m_tail.size() >= kTailLength) Merge();
    return true;
}

}  // namespace harbrook
