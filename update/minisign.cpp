#include "update/minisign.h"

#include <sodium.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace harbrook {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment:";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::size_t kSignatureBytes = crypto_sign_BYTES;  // 64
constexpr std::size_t kFileChunk = 64 * 1024;
// "Ed" signs the whole file in one piece, so it has to fit in memory.
constexpr std::uintmax_t kMaxLegacySignedBytes = 1u << 30;

bool SodiumReady() {
    return sodium_init() >= 0;  // 1: already done, which is fine
}

// Strict base64 (standard alphabet, padded): the whole text, nothing else.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text, std::size_t bytes) {
    std::vector<std::uint8_t> out(bytes);
    std::size_t length = 0;
    const char* end = nullptr;
    if (text.empty() ||
        sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != text.data() + text.size() || length != bytes) {
        return std::nullopt;
    }
    return out;
}

// Cuts the next line (without its "\r\n" or "\n") off the front of the text.
std::string_view NextLine(std::string_view& rest) {
    const std::size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

struct SignatureFile {
    bool prehashed = false;
    std::array<std::uint8_t, kKeyIdBytes> keyId{};
    std::array<std::uint8_t, kSignatureBytes> signature{};
    std::string trustedComment;
    std::array<std::uint8_t, kSignatureBytes> globalSignature{};
};

std::optional<SignatureFile> ParseSignatureFile(std::string_view text) {
    if (text.size() > kMaxSignatureFileBytes) return std::nullopt;
    std::string_view rest = text;
    if (NextLine(rest).substr(0, kUntrustedPrefix.size()) != kUntrustedPrefix) return std::nullopt;
    const auto signature = DecodeBase64(NextLine(rest), 2 + kKeyIdBytes + kSignatureBytes);
    const std::string_view trusted = NextLine(rest);
    const auto global = DecodeBase64(NextLine(rest), kSignatureBytes);
    if (!signature || !global || trusted.substr(0, kTrustedPrefix.size()) != kTrustedPrefix) {
        return std::nullopt;
    }
    while (!rest.empty()) {  // nothing but empty lines may follow
        if (!NextLine(rest).empty()) return std::nullopt;
    }
    SignatureFile file;
    const std::uint8_t* bytes = signature->data();
    if (bytes[0] != 'E' || (bytes[1] != 'D' && bytes[1] != 'd')) return std::nullopt;
    file.prehashed = bytes[1] == 'D';
    std::copy(bytes + 2, bytes + 2 + kKeyIdBytes, file.keyId.begin());
    std::copy(bytes + 2 + kKeyIdBytes, bytes + signature->size(), file.signature.begin());
    file.trustedComment = trusted.substr(kTrustedPrefix.size());
    std::copy(global->begin(), global->end(), file.globalSignature.begin());
    return file;
}

// The BLAKE2b-512 digest of the file, read in pieces.
std::optional<std::array<std::uint8_t, crypto_generichash_BYTES_MAX>> DigestOfFile(
    const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    crypto_generichash_state state;
    std::array<std::uint8_t, crypto_generichash_BYTES_MAX> digest{};
    crypto_generichash_init(&state, nullptr, 0, digest.size());
    std::vector<char> buffer(kFileChunk);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = in.gcount();
        if (got > 0) {
            crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(buffer.data()),
                                      static_cast<unsigned long long>(got));
        }
    }
    if (in.bad()) return std::nullopt;
    crypto_generichash_final(&state, digest.data(), digest.size());
    return digest;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxLegacySignedBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in ||
        !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<MinisignPublicKey> ParseMinisignPublicKey(std::string_view text) {
    std::string_view rest = text, line;
    do {
        line = NextLine(rest);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    } while ((line.empty() || line.substr(0, kUntrustedPrefix.size()) == kUntrustedPrefix) &&
             !rest.empty());
    if (!SodiumReady()) return std::nullopt;
    const auto bytes = DecodeBase64(line, 2 + kKeyIdBytes + crypto_sign_PUBLICKEYBYTES);
    if (!bytes || (*bytes)[0] != 'E' || (*bytes)[1] != 'd') return std::nullopt;
    MinisignPublicKey key;
    std::copy(bytes->begin() + 2, bytes->begin() + 2 + kKeyIdBytes, key.keyId.begin());
    std::copy(bytes->begin() + 2 + kKeyIdBytes, bytes->end(), key.key.begin());
    return key;
}

std::string KeyIdText(const std::array<std::uint8_t, kKeyIdBytes>& keyId) {
    // minisign prints the id as a little-endian number.
    std::string text;
    for (auto it = keyId.rbegin(); it != keyId.rend(); ++it) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", *it);
        text += digits;
    }
    return text;
}

SignatureCheck VerifyMinisignFile(const std::filesystem::path& file, std::string_view signatureText,
                                  std::string_view publicKey) {
    const auto key = ParseMinisignPublicKey(publicKey);
    const auto signature = ParseSignatureFile(signatureText);
    if (!key || !signature) return SignatureCheck::Malformed;
    if (signature->keyId != key->keyId) return SignatureCheck::OtherKey;

    int verified = -1;
    if (signature->prehashed) {
        const auto digest = DigestOfFile(file);
        if (!digest) return SignatureCheck::Unreadable;
        verified = crypto_sign_verify_detached(signature->signature.data(), digest->data(),
                                               digest->size(), key->key.data());
    } else {
        const auto bytes = ReadWholeFile(file);
        if (!bytes) return SignatureCheck::Unreadable;
        verified = crypto_sign_verify_detached(signature->signature.data(), bytes->data(),
                                               bytes->size(), key->key.data());
    }
    if (verified != 0) return SignatureCheck::Mismatch;

    // The trusted comment is signed together with the signature.
    std::vector<std::uint8_t> global(signature->signature.begin(), signature->signature.end());
    global.insert(global.end(), signature->trustedComment.begin(), signature->trustedComment.end());
    if (crypto_sign_verify_detached(signature->globalSignature.data(), global.data(), global.size(),
                                    key->key.data()) != 0) {
        return SignatureCheck::Mismatch;
    }
    return SignatureCheck::Valid;
}

}  // namespace harbrook
