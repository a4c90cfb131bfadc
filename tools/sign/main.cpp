// harbrook-sign: the release key pair and the signatures of installers.
//   harbrook-sign keygen PUBLIC SECRET     new key pair (refuses to overwrite)
//   harbrook-sign sign SECRET FILE [TEXT]  writes FILE.minisig (TEXT: trusted comment)
//   harbrook-sign verify PUBLIC FILE       checks FILE against FILE.minisig
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/sign/signer.h"
#include "update/minisign.h"

namespace {

namespace fs = std::filesystem;
using harbrook::sign::KeyFiles;

int Usage() {
    std::fputs(
        "usage: harbrook-sign keygen PUBLIC-KEY-FILE SECRET-KEY-FILE\n"
        "       harbrook-sign sign SECRET-KEY-FILE FILE [TRUSTED-COMMENT]   (writes FILE.minisig)\n"
        "       harbrook-sign verify PUBLIC-KEY-FILE FILE                   (reads FILE.minisig)\n",
        stderr);
    return 2;
}

bool ReadText(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

bool WriteNew(const fs::path& path, const std::string& text, bool secret) {
    std::error_code ec;
    if (fs::exists(path, ec)) {
        std::fprintf(stderr, "harbrook-sign: %s exists; not overwritten\n", path.string().c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    // Owner only, before the key is in it.
    if (secret) fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, ec);
    out << text;
    out.close();
    if (!out || ec) {
        std::fprintf(stderr, "harbrook-sign: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

int Keygen(const fs::path& publicFile, const fs::path& secretFile) {
    const auto keys = harbrook::sign::GenerateKeyPair();
    if (!keys || fs::exists(publicFile) || !WriteNew(secretFile, keys->secretKey, true) ||
        !WriteNew(publicFile, keys->publicKey, false)) {
        std::fputs("harbrook-sign: no key pair made\n", stderr);
        return 1;
    }
    std::printf("public key (the program's built-in key):\n%s\n",
                harbrook::sign::PublicKeyLine(*keys).c_str());
    return 0;
}

int Sign(const fs::path& secretFile, const fs::path& file, const char* comment) {
    std::string secret;
    if (!ReadText(secretFile, secret)) {
        std::fprintf(stderr, "harbrook-sign: cannot read %s\n", secretFile.string().c_str());
        return 1;
    }
    const std::string trusted = comment ? comment : harbrook::sign::DefaultTrustedComment(file);
    const auto signature = harbrook::sign::SignFile(file, secret, trusted);
    if (!signature) {
        std::fputs("harbrook-sign: not signed (unreadable file, or not an unencrypted key)\n",
                   stderr);
        return 1;
    }
    fs::path out = file;
    out += ".minisig";
    std::ofstream(out, std::ios::binary | std::ios::trunc) << *signature;
    std::printf("%s\n", out.string().c_str());
    return 0;
}

int Verify(const fs::path& publicFile, const fs::path& file) {
    std::string key, signature;
    fs::path signatureFile = file;
    signatureFile += ".minisig";
    if (!ReadText(publicFile, key) || !ReadText(signatureFile, signature)) {
        std::fputs("harbrook-sign: cannot read the key or the signature file\n", stderr);
        return 1;
    }
    const auto check = harbrook::VerifyMinisignFile(file, signature, key);
    static const char* const kWords[] = {"valid", "malformed", "made with another key",
                                         "does not match", "file unreadable"};
    std::printf("%s\n", kWords[static_cast<int>(check)]);
    return check == harbrook::SignatureCheck::Valid ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "keygen" && argc == 4) return Keygen(argv[2], argv[3]);
    if (command == "sign" && (argc == 4 || argc == 5)) {
        return Sign(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    }
    if (command == "verify" && argc == 4) return Verify(argv[2], argv[3]);
    return Usage();
}
