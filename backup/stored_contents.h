// What a phone's folder already holds, found by content: the phone's manifest
// and, in memory, only the size of each recorded file and where its line is.
// A file that arrives again is looked up by its size, then by the digests of
// the few lines of that size, read from the manifest.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "backup/manifest.h"

namespace harbrook {

class StoredContents {
  public:
    // Reads the manifest of the phone folder and opens it for appending.
    // False when the manifest cannot be written; the backup goes on without.
    bool Open(const std::filesystem::path& phoneFolder);
    bool IsOpen() const { return m_appender.IsOpen(); }
    const std::filesystem::path& PhoneFolder() const { return m_phoneFolder; }

    // A stored file with this content, still there with its size: the
    // latest line of its path says so. `preferred` when it is one of them.
    // Nothing when there is none.
    std::optional<std::filesystem::path> Find(std::int64_t size, const Sha256Digest& digest,
                                              const std::filesystem::path& preferred = {});

    // Appends the file's line. False when it could not be written.
    bool Record(const std::filesystem::path& file, std::int64_t size, const Sha256Digest& digest,
                const std::string& backup);

  private:
    struct Slot {
        std::int64_t size;
        std::uint64_t offset;
        bool operator<(const Slot& other) const {
            return size != other.size ? size < other.size : offset < other.offset;
        }
    };
    void Merge();

    std::filesystem::path m_phoneFolder;
    ManifestAppender m_appender;
    std::ifstream m_reader;
    // Sorted by size, then offset; new lines wait in a short tail that is
    // merged in now and then.
    std::vector<Slot> m_sorted, m_tail;
};

}  // namespace harbrook
