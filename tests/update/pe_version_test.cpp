// The version reader on well-formed and hostile program files, and the
// SHA-256 that checks a download.
#include "update/pe_version.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sandbox.h"
#include "tests/update/tiny_pe.h"
#include "update/sha256.h"

namespace harbrook::test {
namespace {

std::optional<FileVersion> Read(const std::string& bytes) {
    return ReadPeFileVersion(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(PeVersion, ReadsTheFixedFileVersionOf32And64BitFiles) {
    const FileVersion version{1, 2, 3, 40000};
    EXPECT_EQ(Read(MakeTinyPe({version, true})), version);
    EXPECT_EQ(Read(MakeTinyPe({version, false})), version);
    EXPECT_EQ(version.Text(), "1.2.3.40000");
}

TEST(PeVersion, FilesWithoutAVersionResource) {
    EXPECT_EQ(Read(MakeTinyPe({std::nullopt})), std::nullopt) << "a manifest only";
    EXPECT_EQ(Read("[VersionInfo]\r\nCurrentVersion=1.0\r\n"), std::nullopt);
    EXPECT_EQ(Read(""), std::nullopt);
    EXPECT_EQ(Read("MZ"), std::nullopt);
}

TEST(PeVersion, EveryTruncationIsRefused) {
    const std::string whole = MakeTinyPe({FileVersion{1, 0, 0, 0}});
    // The fixed part ends 0x58 + 40 + 16 bytes into the resource section.
    const std::size_t needed = 0x200 + 0x58 + 40 + 16;
    for (std::size_t size = 0; size < needed; ++size) {
        EXPECT_EQ(Read(whole.substr(0, size)), std::nullopt) << size;
    }
}

TEST(PeVersion, HostileFieldsAreRefusedWithoutReadingOutside) {
    const std::string good = MakeTinyPe({FileVersion{1, 0, 0, 0}});
    auto with = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
        return Read(bytes);
    };
    EXPECT_EQ(with(0x3C, 0xFFFFFFF0u), std::nullopt) << "PE header beyond the file";
    EXPECT_EQ(with(0x40 + 24 + 112 + 16, 0xFFFFF000u), std::nullopt) << "resource RVA wraps";
    EXPECT_EQ(with(0x200 + 20, 0x80000000u), std::nullopt) << "type directory points at itself";
    EXPECT_EQ(with(0x200 + 0x18 + 20, 0x80000000u | 0x7FFFFFF0u), std::nullopt);
    EXPECT_EQ(with(0x200 + 0x48, 0xFFFFFFFFu), std::nullopt) << "data beyond every section";
    EXPECT_EQ(with(0x200 + 12, 0xFFFFFFFFu), std::nullopt) << "65535 named entries, no version";
    EXPECT_EQ(with(0x200 + 0x58 + 40, 0), std::nullopt) << "no fixed-info signature";

    // Every byte of the headers and the resource tree set to 0xFF in turn:
    // never a crash, and never a version that is not the true one.
    for (std::size_t at = 0; at < 0x200 + 0x58 + 92; ++at) {
        std::string bytes = good;
        bytes[at] = static_cast<char>(0xFF);
        const auto version = Read(bytes);
        if (version && at < 0x200 + 0x58 + 48) {
            EXPECT_EQ(*version, (FileVersion{1, 0, 0, 0})) << at;
        }
    }
}

TEST(PeVersion, ReadsAFileOnDisk) {
    Sandbox sandbox;
    const auto file = sandbox.root() / "setup.exe";
    std::ofstream(file, std::ios::binary) << MakeTinyPe({FileVersion{0, 9, 1, 7}});
    EXPECT_EQ(ReadPeFileVersion(file), (FileVersion{0, 9, 1, 7}));
    EXPECT_EQ(ReadPeFileVersion(sandbox.root() / "missing.exe"), std::nullopt);
}

TEST(Sha256, KnownDigestsWhateverTheChunking) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256Hex(two), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    Sha256 pieces;
    const std::string million(1000000, 'a');
    for (std::size_t at = 0; at < million.size(); at += 999) {
        pieces.Update(std::span<const char>(million.data() + at,
                                            std::min<std::size_t>(999, million.size() - at)));
    }
    EXPECT_EQ(DigestHex(pieces.Finish()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace harbrook::test
