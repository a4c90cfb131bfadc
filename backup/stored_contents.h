// What a phone's folder already holds, found by content: the phone's manifest
// and, in memory, for each recorded file only a 32-bit key made of its size
// and four bytes of its digest, and where its line is (8 bytes a file, so
// that 100000 files take less than a megabyte). A file that arrives again is
// looked up under its own name first, then by its size and those bytes, its
// line read from the manifest for the whole digest; the stored file is read
// again to make sure it still holds that content.
#pragma once

#include <cstdint>
#include <deque>
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

    // A stored file with this content: `preferred` when it holds it, else
    // one the manifest names. Nothing when there is none.
    std::optional<std::filesystem::path> Find(std::int64_t size, const Sha256Digest& digest,
                                              const std::filesystem::path& preferred = {});

    // Appends the file's line. False when it could not be written.
    bool Record(const std::filesystem::path& file, std::int64_t size, const Sha256Digest& digest,
                const std::string& backup);

  private:
    struct Slot {
        std::uint32_t key;     // of size and digest: equal keys are only candidates
        std::uint32_t offset;  // of its line; manifests past 4 GiB are not looked up further
        bool operator<(const Slot& other) const { return key < other.key; }
    };
    void Add(std::int64_t size, const Sha256Digest& digest, std::uint64_t offset);
    void Merge();

    std::filesystem::path m_phoneFolder;
    ManifestAppender m_appender;
    std::ifstream m_reader;
    // Sorted by key; new lines wait in a short tail that is merged in now
    // and then. A deque grows a block at a time: a vector that doubles holds
    // its old and its new copy at once, and for 100000 files that moment
    // was most of what the program's resident memory grew by.
    std::deque<Slot> m_sorted;
    std::vector<Slot> m_tail;
};

}  // namespace harbrook
