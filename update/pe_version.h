// The version resource of a Windows program file (VS_VERSION_INFO with its
// fixed part), read by our own code on every system. A downloaded file is
// hostile input: every offset and length is checked against the file before
// it is used, nothing is read twice through a loop, and at most a bounded
// number of directory entries is looked at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace harbrook {

struct FileVersion {
    std::uint16_t major = 0, minor = 0, build = 0, revision = 0;
    std::string Text() const;  // "major.minor.build.revision"
    bool operator==(const FileVersion&) const = default;
};

// Random access to the bytes of a file.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // False when [offset, offset + count) is not wholly inside the source.
    virtual bool Read(std::uint64_t offset, void* out, std::size_t count) const = 0;
};

// The file version of the first version resource, or nothing when the bytes
// are not a PE file, carry no version resource, or it is malformed.
std::optional<FileVersion> ReadPeFileVersion(const ByteSource& source);
std::optional<FileVersion> ReadPeFileVersion(std::span<const std::uint8_t> bytes);
std::optional<FileVersion> ReadPeFileVersion(const std::filesystem::path& file);

}  // namespace harbrook
