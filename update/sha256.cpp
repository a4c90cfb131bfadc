#include "update/sha256.h"

#include <fstream>
#include <vector>

namespace harbrook {

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.Update(std::span<const char>(bytes.data(), bytes.size()));
    return DigestHex(hash.Finish());
}

std::optional<std::string> Sha256OfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Sha256 hash;
    std::vector<char> buffer(64 * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        hash.Update(std::span<const char>(buffer.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad()) return std::nullopt;
    return DigestHex(hash.Finish());
}

}  // namespace harbrook
