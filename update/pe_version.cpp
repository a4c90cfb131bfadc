#include "update/pe_version.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <vector>

namespace harbrook {
namespace {

constexpr std::uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kMaxSections = 96;  // what the Windows loader accepts
constexpr std::uint32_t kMaxDirectoryEntries = 4096;
constexpr std::size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Section {
    std::uint32_t virtualAddress, rawSize, rawOffset;
};

class PeImage {
  public:
    explicit PeImage(const ByteSource& source) : m_source(source) {}

    bool ReadHeaders() {
        std::array<std::uint8_t, 64> dos;
        if (!m_source.Read(0, dos.data(), dos.size()) || dos[0] != 'M' || dos[1] != 'Z') {
            return false;
        }
        const std::uint64_t pe = U32(&dos[0x3C]);
        std::array<std::uint8_t, 24> header;  // signature + COFF header
        if (!m_source.Read(pe, header.data(), header.size())) return false;
        if (std::memcmp(header.data(), "PE\0\0", 4) != 0) return false;
        const std::size_t sections = U16(&header[6]);
        const std::uint16_t optionalSize = U16(&header[20]);
        const std::uint64_t optional = pe + 24;
        std::array<std::uint8_t, 2> magic;
        if (!m_source.Read(optional, magic.data(), magic.size())) return false;
        std::uint64_t countAt, directoriesAt;
        switch (U16(magic.data())) {
            case 0x10b:
                countAt = 92, directoriesAt = 96;
                break;  // PE32
            case 0x20b:
                countAt = 108, directoriesAt = 112;
                break;  // PE32+
            default:
                return false;
        }
        std::array<std::uint8_t, 4> count;
        std::array<std::uint8_t, 8> resource;  // data directory 2: RVA, size
        if (directoriesAt + 3 * 8 > optionalSize ||
            !m_source.Read(optional + countAt, count.data(), count.size()) ||
            U32(count.data()) < 3 ||
            !m_source.Read(optional + directoriesAt + 2 * 8, resource.data(), resource.size())) {
            return false;
        }
        m_resourceRva = U32(resource.data());
        m_resourceSize = U32(&resource[4]);
        if (m_resourceRva == 0 || m_resourceSize == 0 || sections > kMaxSections) return false;
        const std::uint64_t table = optional + optionalSize;
        for (std::size_t i = 0; i < sections; ++i) {
            std::array<std::uint8_t, 40> entry;
            if (!m_source.Read(table + i * 40, entry.data(), entry.size())) return false;
            m_sections.push_back({U32(&entry[12]), U32(&entry[16]), U32(&entry[20])});
        }
        return true;
    }

    // Reads count bytes at a virtual address from the file data of the section
    // that holds them.
    bool ReadRva(std::uint64_t rva, void* out, std::size_t count) const {
        for (const Section& s : m_sections) {
            if (rva < s.virtualAddress) continue;
            const std::uint64_t into = rva - s.virtualAddress;
            if (into + count > s.rawSize) continue;
            return m_source.Read(s.rawOffset + into, out, count);
        }
        return false;
    }

    // Reads within the resource directory; offsets are relative to its start.
    bool ReadResource(std::uint64_t offset, void* out, std::size_t count) const {
        if (offset + count > m_resourceSize) return false;
        return ReadRva(m_resourceRva + offset, out, count);
    }

    // The entry of a resource directory with the ID (or the first entry when
    // id is empty): its OffsetToData field.
    std::optional<std::uint32_t> FindEntry(std::uint32_t directory,
                                           std::optional<std::uint32_t> id) const {
        std::array<std::uint8_t, 16> header;
        if (!ReadResource(directory, header.data(), header.size())) return std::nullopt;
        const std::uint32_t named = U16(&header[12]);
        const std::uint32_t total = std::min(named + U16(&header[14]), kMaxDirectoryEntries);
        for (std::uint32_t i = 0; i < total; ++i) {
            std::array<std::uint8_t, 8> entry;
            if (!ReadResource(directory + 16 + std::uint64_t{i} * 8, entry.data(), entry.size())) {
                return std::nullopt;
            }
            const std::uint32_t name = U32(entry.data());
            if (!id || (i >= named && (name & 0x80000000u) == 0 && name == *id)) {
                return U32(&entry[4]);
            }
        }
        return std::nullopt;
    }

    std::optional<std::vector<std::uint8_t>> VersionResource() const {
        // Type, then name, then language: the first two levels lead to
        // subdirectories, the third to the data entry.
        auto names = FindEntry(0, kVersionResourceType);
        if (!names || (*names & 0x80000000u) == 0) return std::nullopt;
        auto languages = FindEntry(*names & 0x7FFFFFFFu, std::nullopt);
        if (!languages || (*languages & 0x80000000u) == 0) return std::nullopt;
        auto data = FindEntry(*languages & 0x7FFFFFFFu, std::nullopt);
        if (!data || (*data & 0x80000000u) != 0) return std::nullopt;
        std::array<std::uint8_t, 8> entry;  // RVA, size
        if (!ReadResource(*data, entry.data(), entry.size())) return std::nullopt;
        // The Windows reader copies at most a caller's buffer (2048 bytes here).
        const std::size_t size = std::min<std::size_t>(U32(&entry[4]), 2048);
        std::vector<std::uint8_t> bytes(size);
        if (!ReadRva(U32(entry.data()), bytes.data(), bytes.size())) return std::nullopt;
        return bytes;
    }

  private:
    const ByteSource& m_source;
    std::uint32_t m_resourceRva = 0, m_resourceSize = 0;
    std::vector<Section> m_sections;
};

std::optional<FileVersion> ParseVersionInfo(const std::vector<std::uint8_t>& bytes) {
    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding
    // to 32 bits, then VS_FIXEDFILEINFO.
    static constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    constexpr std::size_t keyBytes = sizeof kKey;  // with the terminator
    constexpr std::size_t fixedAt = (6 + keyBytes + 3) & ~std::size_t{3};
    if (bytes.size() < fixedAt + kFixedInfoSize) return std::nullopt;
    if (U16(&bytes[0]) < fixedAt + kFixedInfoSize || U16(&bytes[2]) < kFixedInfoSize) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < keyBytes / 2; ++i) {
        if (U16(&bytes[6 + 2 * i]) != kKey[i]) return std::nullopt;
    }
    const std::uint8_t* fixed = &bytes[fixedAt];
    if (U32(fixed) != kFixedInfoSignature) return std::nullopt;
    const std::uint32_t ms = U32(fixed + 8), ls = U32(fixed + 12);
    return FileVersion{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                       static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

class SpanSource final : public ByteSource {
  public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool Read(std::uint64_t offset, void* out, std::size_t count) const override {
        if (offset > m_bytes.size() || count > m_bytes.size() - offset) return false;
        if (count == 0) return true;  // memcpy may not see the null of an empty read
        std::memcpy(out, m_bytes.data() + offset, count);
        return true;
    }

  private:
    std::span<const std::uint8_t> m_bytes;
};

class FileSource final : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& file) : m_in(file, std::ios::binary) {
        std::error_code ec;
        m_size = std::filesystem::file_size(file, ec);
        if (ec) m_size = 0;
    }
    std::uint64_t Size() const override { return m_size; }
    bool Read(std::uint64_t offset, void* out, std::size_t count) const override {
        if (!m_in || offset > m_size || count > m_size - offset) return false;
        m_in.seekg(static_cast<std::streamoff>(offset));
        m_in.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(m_in.gcount()) == count;
    }

  private:
    mutable std::ifstream m_in;
    std::uint64_t m_size = 0;
};

}  // namespace

std::string FileVersion::Text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) + "." +
           std::to_string(revision);
}

std::optional<FileVersion> ReadPeFileVersion(const ByteSource& source) {
    PeImage image(source);
    if (!image.ReadHeaders()) return std::nullopt;
    const auto resource = image.VersionResource();
    if (!resource) return std::nullopt;
    return ParseVersionInfo(*resource);
}

std::optional<FileVersion> ReadPeFileVersion(std::span<const std::uint8_t> bytes) {
    return ReadPeFileVersion(SpanSource(bytes));
}

std::optional<FileVersion> ReadPeFileVersion(const std::filesystem::path& file) {
    return ReadPeFileVersion(FileSource(file));
}

}  // namespace harbrook
