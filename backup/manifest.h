// The manifest of a phone's backup folder: one line per stored file, appended
// once the file is whole and named, so that the tree can be checked later,
// with or without Harbrook. A line is
//   <sha-256 in hex> TAB <size> TAB <backup> TAB <path>
// with the path relative to the phone folder, '/' between folders, UTF-8,
// and a backslash, a line break or a carriage return in it written "\\",
// "\n", "\r". A later line for the same path replaces an earlier one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sha256.h"

namespace harbrook {

inline constexpr std::string_view kManifestFileName = "harbrook-manifest.txt";

struct ManifestEntry {
    std::string path;  // relative to the phone folder, as written in the manifest
    std::int64_t size = 0;
    Sha256Digest digest{};
    std::string backup;  // the backup it came in: its start, "20240501T130405Z"
};

std::string FormatManifestLine(const ManifestEntry& entry);  // with the line break
std::optional<ManifestEntry> ParseManifestLine(std::string_view line);

// The path of a file under the phone folder as the manifest writes it, and
// back. Empty for a file outside the folder.
std::string ManifestPath(const std::filesystem::path& phoneFolder,
                         const std::filesystem::path& file);
std::filesystem::path ManifestFile(const std::filesystem::path& phoneFolder,
                                   std::string_view manifestPath);

// The digest and size of a file as it is on the disk now, read in pieces;
// nothing when it cannot be read to its end. `piece`, when given, is called
// with each piece's length and stops the reading when it answers false.
struct FileDigest {
    Sha256Digest digest{};
    std::int64_t size = 0;
};
std::optional<FileDigest> DigestFile(const std::filesystem::path& file,
                                     const std::function<bool(std::int64_t)>& piece = {});

// A backup's name in the manifest: its start in UTC.
std::string BackupStamp(std::int64_t utcSeconds);

struct ManifestReading {
    std::size_t entries = 0;
    std::size_t damaged = 0;  // whole lines that are no entry
    bool cutLast = false;     // the last line has no line break: an append cut short
};

// Every entry of the manifest in file order, with the offset its line starts
// at. A missing manifest reads as empty.
ManifestReading ReadManifest(
    const std::filesystem::path& manifest,
    const std::function<void(ManifestEntry&& entry, std::uint64_t offset)>& each);

// Appends lines to a manifest, one whole line per write. A line that an
// earlier append left cut short is removed first, so that it cannot run into
// the next one. A manifest that does not exist yet is made by the first
// append: a backup that stores nothing leaves no empty one behind.
class ManifestAppender {
  public:
    bool Open(const std::filesystem::path& manifest);
    bool IsOpen() const { return !m_path.empty(); }
    // The offset at which the line starts; nothing when it could not be written.
    std::optional<std::uint64_t> Append(const ManifestEntry& entry);

  private:
    std::filesystem::path m_path;
    std::ofstream m_out;
    std::uint64_t m_end = 0;
};

}  // namespace harbrook
