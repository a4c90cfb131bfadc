// Detached Ed25519 signatures in minisign's format, so that a release can be
// signed and checked with minisign itself as well as with our own tool.
//
// A public key is base64 of "Ed", an 8-byte key id and the 32-byte key (the
// second line of a minisign ".pub" file). A signature file has four lines:
//   untrusted comment: <anything>
//   base64 of "ED" (or "Ed"), the key id and the 64-byte signature
//   trusted comment: <text>
//   base64 of the 64-byte signature of the signature and the trusted text
// "ED" signs the BLAKE2b-512 digest of the file, "Ed" (older minisign) the
// file's bytes themselves.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace harbrook {

inline constexpr std::size_t kKeyIdBytes = 8;
// A signature file is a few hundred bytes; anything much longer is not one.
inline constexpr std::size_t kMaxSignatureFileBytes = 4096;

struct MinisignPublicKey {
    std::array<std::uint8_t, kKeyIdBytes> keyId{};
    std::array<std::uint8_t, 32> key{};
};

// The key from its base64 line, or from a whole ".pub" file (the first line
// that is not a comment). Nothing when it does not read as an Ed25519 key.
std::optional<MinisignPublicKey> ParseMinisignPublicKey(std::string_view text);

// The key id as minisign prints it (16 upper-case hex digits).
std::string KeyIdText(const std::array<std::uint8_t, kKeyIdBytes>& keyId);

enum class SignatureCheck {
    Valid,
    Malformed,   // the signature file or the key does not read
    OtherKey,    // signed with another key (the key ids differ)
    Mismatch,    // the file or the trusted comment is not what was signed
    Unreadable,  // the signed file cannot be read
};

// Checks that `signatureText` (a signature file's content) signs `file` with
// `publicKey`, trusted comment included.
SignatureCheck VerifyMinisignFile(const std::filesystem::path& file, std::string_view signatureText,
                                  std::string_view publicKey);

}  // namespace harbrook
