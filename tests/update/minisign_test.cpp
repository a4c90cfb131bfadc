// Signature files in minisign's format: vectors made by minisign 0.11 itself
// (so that a release signed with minisign is accepted, and ours are like its
// own), and the ways a signature file can be wrong.
#include "update/minisign.h"

#include "tests/update/update_fixture.h"
#include "update/release_key.h"

namespace harbrook::test {
namespace {

// minisign -G -W; printf 'installer bytes\n' > a.bin; minisign -S [-l] -m a.bin -t ...
constexpr std::string_view kMinisignKey =
    "untrusted comment: minisign public key FB8E22A897CB4943\n"
    "RWRDScuXqCKO++nS+grtqI/nNE+1gZwgN9Ww14pqD7F0hP+aO2K3WRf5\n";
constexpr std::string_view kSignedBytes = "installer bytes\n";
constexpr std::string_view kPrehashed =
    "untrusted comment: signature from minisign secret key\n"
    "RURDScuXqCKO+yJObB35rUBCLmQXwJ+zXA2AxwFxwxuiUQxe7+RkWavOce2PmrZSVMUxlwYGQ6jqWwVnmJXgUkR0aK/"
    "dQGS7uAY=\n"
    "trusted comment: harbrook test vector\n"
    "H9Xzu1XaHfknFH3XoQpHZP76RpoTp7/9eF0YcSM4oEjkyQOzZl6nfvab2h5LWIy4AaX5gPmPNxS/Mc/VXyRgBQ==\n";
constexpr std::string_view kLegacy =
    "untrusted comment: signature from minisign secret key\n"
    "RWRDScuXqCKO+2L0GP6averQ5jNMTmtQbvYz7oAWnwqoHmHFie2K4Bh/2PVlbu3gBwiNWePHMvL/ep1yWIFV5jj6VQJ+"
    "Bmd8AAM=\n"
    "trusted comment: legacy\n"
    "zKRvPrlhXJ8AGYJqPn31Bt/wns1CvZ4f6oIec9nvOvbDiYkp4bl/2roNWz7QPrWx8+xG/xW4qi+BP7kF2VmtBg==\n";

class Minisign : public UpdateFixture {
  protected:
    Minisign() { WriteText(file, std::string(kSignedBytes)); }
    SignatureCheck Check(std::string_view signature, std::string_view key = kMinisignKey) {
        return VerifyMinisignFile(file, signature, key);
    }
    std::string Edited(std::string_view text, std::string_view from, std::string_view to) {
        std::string edited(text);
        edited.replace(edited.find(from), from.size(), to);
        return edited;
    }
    const std::filesystem::path file = sandbox.root() / "a.bin";
};

TEST_F(Minisign, SignaturesOfMinisignItself) {
    EXPECT_EQ(Check(kPrehashed), SignatureCheck::Valid) << "the digest signed (minisign's default)";
    EXPECT_EQ(Check(kLegacy), SignatureCheck::Valid) << "the bytes signed (minisign -l)";
    const auto key = ParseMinisignPublicKey(kMinisignKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(KeyIdText(key->keyId), "FB8E22A897CB4943") << "as minisign names it";
    EXPECT_TRUE(ParseMinisignPublicKey("RWRDScuXqCKO++nS+grtqI/nNE+1gZwgN9Ww14pqD7F0hP+aO2K3WRf5"))
        << "the key line alone";
    EXPECT_EQ(Check(Edited(kPrehashed, "\n", "\r\n")), SignatureCheck::Valid) << "CRLF lines";

    WriteText(file, "installer bytez\n");
    EXPECT_EQ(Check(kPrehashed), SignatureCheck::Mismatch);
    EXPECT_EQ(Check(kLegacy), SignatureCheck::Mismatch);
    std::filesystem::remove(file);
    EXPECT_EQ(Check(kPrehashed), SignatureCheck::Unreadable);
}

TEST_F(Minisign, AnotherKeyOrAnEditedFileIsRefused) {
    EXPECT_EQ(Check(kPrehashed, TestKey()), SignatureCheck::OtherKey);
    EXPECT_EQ(Check(kPrehashed, kReleasePublicKey), SignatureCheck::OtherKey);
    const std::string signature = SignatureOf(std::string(kSignedBytes), &keys);
    EXPECT_EQ(Check(signature, TestKey()), SignatureCheck::Valid) << "our signer";
    EXPECT_EQ(Check(signature, sign::PublicKeyLine(strangerKeys)), SignatureCheck::OtherKey);

    EXPECT_EQ(Check(Edited(kPrehashed, "harbrook test vector", "harbrook test vectoR")),
              SignatureCheck::Mismatch)
        << "the trusted comment is signed";
    EXPECT_EQ(Check(Edited(kPrehashed, "H9Xz", "H9Xy")), SignatureCheck::Mismatch);
    EXPECT_EQ(Check(Edited(kPrehashed, "RURD", "RWRD")), SignatureCheck::Mismatch)
        << "a digest signature read as a signature of the bytes";
}

TEST_F(Minisign, WhatIsNotASignatureFile) {
    EXPECT_EQ(Check(""), SignatureCheck::Malformed);
    EXPECT_EQ(Check("<html>404 Not Found</html>"), SignatureCheck::Malformed);
    EXPECT_EQ(Check(Edited(kPrehashed, "untrusted comment:", "comment:")),
              SignatureCheck::Malformed);
    EXPECT_EQ(Check(Edited(kPrehashed, "trusted comment: harbrook", "harbrook")),
              SignatureCheck::Malformed);
    EXPECT_EQ(Check(Edited(kPrehashed, "RURD", "RXRD")), SignatureCheck::Malformed)
        << "an unknown algorithm";
    EXPECT_EQ(Check(Edited(kPrehashed, "uAY=", "uAY")), SignatureCheck::Malformed) << "unpadded";
    EXPECT_EQ(Check(Edited(kPrehashed, "uAY=", "uAY= ")), SignatureCheck::Malformed);
    EXPECT_EQ(Check(Edited(kPrehashed, "BQ==", "BQ==\nmore")), SignatureCheck::Malformed);
    EXPECT_EQ(Check(std::string(kPrehashed) + "\n\n"), SignatureCheck::Valid)
        << "empty lines after";
    EXPECT_EQ(Check(std::string(kPrehashed) + std::string(kMaxSignatureFileBytes, '\n')),
              SignatureCheck::Malformed)
        << "too long";
    EXPECT_EQ(Check(kPrehashed, "RWRD"), SignatureCheck::Malformed) << "not a key";
    EXPECT_EQ(Check(kPrehashed, ""), SignatureCheck::Malformed);
    EXPECT_TRUE(ParseMinisignPublicKey(kReleasePublicKey)) << "the built-in key reads";
}

}  // namespace
}  // namespace harbrook::test
