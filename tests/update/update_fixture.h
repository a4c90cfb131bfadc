// What the update tests share: a sandbox with a program folder and the data
// folder, a web server on 127.0.0.1, and the description files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/loopback_http.h"
#include "tests/support/sandbox.h"
#include "tools/sign/signer.h"

namespace harbrook::test {

// Seconds since 1970 at midnight UTC of the date.
std::int64_t UtcMidnight(int year, int month, int day);

void WriteText(const std::filesystem::path& file, const std::string& text);

struct Description {
    std::string version{};  // empty: no "CurrentVersion"
    std::vector<std::string> downloads{};
    std::string size{};  // empty: no "Size"
    std::string sha256{};
    std::string command{};
    std::string Text() const;
};

class UpdateFixture : public ::testing::Test {
  protected:
    UpdateFixture();

    // "harbrook.ini" beside the program: the version and "ServerFile" + index
    // for each address (an empty address leaves that index out).
    void WriteInstalled(const std::string& version, const std::vector<std::string>& servers);
    std::filesystem::path Installed() const { return program / "harbrook.ini"; }

    // The signature file of `body` made with `keys` (the test's own key
    // unless another is given).
    std::string SignatureOf(const std::string& body, const sign::KeyFiles* keys = nullptr);
    // Serves `body` at `path` and its signature at `path` + ".minisig".
    void ServeSigned(const std::string& path, const std::string& body);
    // What the checker is to verify with: the test's key, as a public key line.
    std::string TestKey() const { return sign::PublicKeyLine(keys); }

    Sandbox sandbox;
    LoopbackHttpServer server;
    const std::filesystem::path program = sandbox.root() / "program" / "";
    const std::filesystem::path data = sandbox.appData();
    // Keys of the test's own: the "release" key, and a stranger's.
    const sign::KeyFiles keys = *sign::GenerateKeyPair();
    const sign::KeyFiles strangerKeys = *sign::GenerateKeyPair();
};

}  // namespace harbrook::test
