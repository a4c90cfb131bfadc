// The compiled string catalogue: a language library as the POSIX build keeps
// it (the Windows build keeps the same table as a resource-only DLL).
//
//   "HARBROOK-STRINGS 1\n"
//   count as 10 decimal digits, "\n"
//   count index lines "IIIIIIIIII OOOOOOOOOO LLLLLLLLLL\n": string id, offset
//     into the texts and length in bytes, each 10 decimal digits; ids rise
//   the texts, UTF-8, one after the other, without terminators
//
// A catalogue is a file on disk that anyone may have edited: Parse checks
// every field before anything is used, and refuses the whole file on any
// fault, so a lookup never reads out of bounds.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harbrook::platform {

class StringCatalogue {
  public:
    static constexpr std::string_view kMagic = "HARBROOK-STRINGS 1\n";
    static constexpr std::size_t kMaxBytes = 4u << 20;
    static constexpr unsigned kMaxId = 65535;  // string ids are 16 bits, as on Windows

    // Nothing when the bytes are not a well-formed catalogue.
    static std::optional<StringCatalogue> Parse(std::string bytes);
    // Nothing when the file cannot be read, is larger than kMaxBytes or is
    // not a well-formed catalogue.
    static std::optional<StringCatalogue> ReadFile(const std::filesystem::path& file);

    // The text with that id; nothing when the catalogue has none.
    std::optional<std::string_view> Find(unsigned id) const;
    std::size_t Size() const { return m_index.size(); }

  private:
    struct Entry {
        unsigned id;
        std::size_t offset;  // into m_bytes
        std::size_t length;
    };
    std::string m_bytes;
    std::vector<Entry> m_index;
};

// The catalogue bytes of (id, text) pairs given in rising id order; used by
// tests to make catalogues, good and bad.
std::string BuildStringCatalogue(const std::vector<std::pair<unsigned, std::string>>& texts);

}  // namespace harbrook::platform
