// Making release keys and signatures in minisign's format (update/minisign.h
// checks them). The secret key file is minisign's, unencrypted: minisign
// itself can sign with it too ("minisign -S -s KEY -m FILE").
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace harbrook::sign {

struct KeyFiles {
    std::string publicKey;  // a ".pub" file: comment line, then the key's base64 line
    std::string secretKey;  // the secret key file
};

// A fresh key pair with a random key id.
std::optional<KeyFiles> GenerateKeyPair();

// The second line of a ".pub" file: what the program builds in.
std::string PublicKeyLine(const KeyFiles& keys);

// The signature file's text for `file`, made with the secret key file's key.
// `prehashed` signs the file's BLAKE2b-512 digest ("ED", minisign's default);
// false signs the bytes themselves ("Ed"). Nothing when the key does not read
// or the file cannot be read.
std::optional<std::string> SignFile(const std::filesystem::path& file, std::string_view secretKey,
                                    std::string_view trustedComment, bool prehashed = true);

// minisign's trusted comment: "timestamp:<seconds>\tfile:<name>".
std::string DefaultTrustedComment(const std::filesystem::path& file);

}  // namespace harbrook::sign
