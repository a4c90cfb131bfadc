#include "tests/update/tiny_pe.h"

#include <cstdint>

namespace harbrook::test {
namespace {

void Put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

}  // namespace

std::string MakeTinyPe(const TinyPeOptions& options) {
    constexpr std::size_t peAt = 0x40, rawAt = 0x200, rawSize = 0x200;
    constexpr std::uint32_t rva = 0x1000;
    std::string b(rawAt + rawSize, '\0');
    b[0] = 'M', b[1] = 'Z';
    Put32(b, 0x3C, peAt);
    b.replace(peAt, 4, std::string("PE\0\0", 4));
    const std::size_t coff = peAt + 4, optional = peAt + 24;
    const std::uint32_t optionalSize = options.pe32plus ? 240 : 224;
    Put16(b, coff, options.pe32plus ? 0x8664 : 0x14c);
    Put16(b, coff + 2, 1);  // one section
    Put16(b, coff + 16, optionalSize);
    Put16(b, optional, options.pe32plus ? 0x20b : 0x10b);
    const std::size_t directories = optional + (options.pe32plus ? 112 : 96);
    Put32(b, directories - 4, 16);  // NumberOfRvaAndSizes
    Put32(b, directories + 2 * 8, rva);
    Put32(b, directories + 2 * 8 + 4, rawSize);
    const std::size_t section = optional + optionalSize;
    b.replace(section, 5, ".rsrc");
    Put32(b, section + 8, rawSize);
    Put32(b, section + 12, rva);
    Put32(b, section + 16, rawSize);
    Put32(b, section + 20, rawAt);

    // Type directory -> name directory -> language directory -> data entry.
    const std::size_t r = rawAt;
    Put16(b, r + 14, 1);
    Put32(b, r + 16, options.version ? 16 : 24);  // RT_VERSION or RT_MANIFEST
    Put32(b, r + 20, 0x80000000u | 0x18);
    Put16(b, r + 0x18 + 14, 1);
    Put32(b, r + 0x18 + 16, 1);
    Put32(b, r + 0x18 + 20, 0x80000000u | 0x30);
    Put16(b, r + 0x30 + 14, 1);
    Put32(b, r + 0x30 + 16, 0x409);
    Put32(b, r + 0x30 + 20, 0x48);
    Put32(b, r + 0x48, rva + 0x58);
    Put32(b, r + 0x48 + 4, 92);

    const std::size_t info = r + 0x58;
    Put16(b, info, 92);
    Put16(b, info + 2, 52);
    const std::u16string key = u"VS_VERSION_INFO";
    for (std::size_t i = 0; i < key.size(); ++i) Put16(b, info + 6 + 2 * i, key[i]);
    const std::size_t fixed = info + 40;
    const FileVersion v = options.version.value_or(FileVersion{});
    Put32(b, fixed, 0xFEEF04BD);
    Put32(b, fixed + 4, 0x10000);
    Put32(b, fixed + 8, (std::uint32_t{v.major} << 16) | v.minor);
    Put32(b, fixed + 12, (std::uint32_t{v.build} << 16) | v.revision);
    return b;
}

}  // namespace harbrook::test
