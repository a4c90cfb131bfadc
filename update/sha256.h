// SHA-256 (FIPS 180-4), enough to check a downloaded installer against the
// digest its description file names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace harbrook {

class Sha256 {
  public:
    void Add(const void* data, std::size_t size);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string FinishHex();

  private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_totalBytes = 0;
};

std::string Sha256Hex(std::string_view bytes);
// Nothing when the file cannot be read.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& file);

}  // namespace harbrook
