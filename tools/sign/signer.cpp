#include "tools/sign/signer.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "update/minisign.h"

namespace harbrook::sign {
namespace {

using Bytes = std::vector<std::uint8_t>;

// minisign's secret key file: algorithms, key derivation parameters (all
// zero: not encrypted), then key id, secret key and a BLAKE2b-256 checksum.
constexpr std::size_t kKdfBytes = 32 + 8 + 8;
constexpr std::size_t kSecretFileBytes =
    2 + 2 + 2 + kKdfBytes + kKeyIdBytes + crypto_sign_SECRETKEYBYTES + 32;

std::string Base64(const Bytes& bytes) {
    std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes.data(), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);  // the terminator
    return text;
}

std::optional<Bytes> FromBase64(std::string_view text, std::size_t bytes) {
    Bytes out(bytes);
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), " \t\r\n", &length,
                          &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        length != bytes) {
        return std::nullopt;
    }
    return out;
}

Bytes Checksum(const std::uint8_t* keyId, const std::uint8_t* secret) {
    Bytes input{'E', 'd'};
    input.insert(input.end(), keyId, keyId + kKeyIdBytes);
    input.insert(input.end(), secret, secret + crypto_sign_SECRETKEYBYTES);
    Bytes sum(32);
    crypto_generichash(sum.data(), sum.size(), input.data(), input.size(), nullptr, 0);
    return sum;
}

struct SecretKey {
    std::array<std::uint8_t, kKeyIdBytes> keyId{};
    std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> key{};
};

std::optional<SecretKey> ReadSecretKey(std::string_view text) {
    // The first line is a comment; the key is the rest.
    const std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return std::nullopt;
    const auto bytes = FromBase64(text.substr(newline + 1), kSecretFileBytes);
    if (!bytes) return std::nullopt;
    const std::uint8_t* p = bytes->data();
    // "Ed", no key derivation (an encrypted minisign key is not read here), "B2".
    if (p[0] != 'E' || p[1] != 'd' || p[2] != 0 || p[3] != 0 || p[4] != 'B' || p[5] != '2') {
        return std::nullopt;
    }
    p += 6 + kKdfBytes;
    SecretKey key;
    std::copy(p, p + kKeyIdBytes, key.keyId.begin());
    std::copy(p + kKeyIdBytes, p + kKeyIdBytes + key.key.size(), key.key.begin());
    if (Checksum(key.keyId.data(), key.key.data()) !=
        Bytes(p + kKeyIdBytes + key.key.size(), p + kKeyIdBytes + key.key.size() + 32)) {
        return std::nullopt;
    }
    return key;
}

std::optional<Bytes> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<KeyFiles> GenerateKeyPair() {
    if (sodium_init() < 0) return std::nullopt;
    std::array<std::uint8_t, crypto_sign_PUBLICKEYBYTES> pk{};
    std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> sk{};
    std::array<std::uint8_t, kKeyIdBytes> keyId{};
    crypto_sign_keypair(pk.data(), sk.data());
    randombytes_buf(keyId.data(), keyId.size());

    Bytes pub{'E', 'd'};
    pub.insert(pub.end(), keyId.begin(), keyId.end());
    pub.insert(pub.end(), pk.begin(), pk.end());
    Bytes secret{'E', 'd', 0, 0, 'B', '2'};
    secret.resize(secret.size() + kKdfBytes, 0);
    secret.insert(secret.end(), keyId.begin(), keyId.end());
    secret.insert(secret.end(), sk.begin(), sk.end());
    const Bytes sum = Checksum(keyId.data(), sk.data());
    secret.insert(secret.end(), sum.begin(), sum.end());
    sodium_memzero(sk.data(), sk.size());

    KeyFiles files;
    files.publicKey =
        "untrusted comment: minisign public key " + KeyIdText(keyId) + "\n" + Base64(pub) + "\n";
    files.secretKey =
        "untrusted comment: minisign secret key (not encrypted)\n" + Base64(secret) + "\n";
    sodium_memzero(secret.data(), secret.size());
    return files;
}

std::string PublicKeyLine(const KeyFiles& keys) {
    const std::size_t newline = keys.publicKey.find('\n');
    std::string line = keys.publicKey.substr(newline + 1);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

std::optional<std::string> SignFile(const std::filesystem::path& file, std::string_view secretKey,
                                    std::string_view trustedComment, bool prehashed) {
    if (sodium_init() < 0 || trustedComment.find('\n') != std::string_view::npos) {
        return std::nullopt;
    }
    auto key = ReadSecretKey(secretKey);
    auto content = ReadFile(file);
    if (!key || !content) return std::nullopt;
    if (prehashed) {
        Bytes digest(crypto_generichash_BYTES_MAX);
        crypto_generichash(digest.data(), digest.size(), content->data(), content->size(), nullptr,
                           0);
        content = std::move(digest);
    }
    Bytes signature{'E', static_cast<std::uint8_t>(prehashed ? 'D' : 'd')};
    signature.insert(signature.end(), key->keyId.begin(), key->keyId.end());
    signature.resize(signature.size() + crypto_sign_BYTES);
    crypto_sign_detached(signature.data() + 2 + kKeyIdBytes, nullptr, content->data(),
                         content->size(), key->key.data());
    Bytes global(signature.begin() + 2 + kKeyIdBytes, signature.end());
    global.insert(global.end(), trustedComment.begin(), trustedComment.end());
    Bytes globalSignature(crypto_sign_BYTES);
    crypto_sign_detached(globalSignature.data(), nullptr, global.data(), global.size(),
                         key->key.data());
    sodium_memzero(key->key.data(), key->key.size());
    return "untrusted comment: signature from harbrook-sign secret key\n" + Base64(signature) +
           "\ntrusted comment: " + std::string(trustedComment) + "\n" + Base64(globalSignature) +
           "\n";
}

std::string DefaultTrustedComment(const std::filesystem::path& file) {
    return "timestamp:" + std::to_string(static_cast<long long>(std::time(nullptr))) +
           "\tfile:" + file.filename().string();
}

}  // namespace harbrook::sign
