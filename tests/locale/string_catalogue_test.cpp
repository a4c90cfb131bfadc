#include "platform/string_catalogue.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

const std::vector<std::pair<unsigned, std::string>> kTexts = {
    {104, "Harbrook"}, {107, "Dateien senden"}, {148, "Zeile 1\r\nZeile 2 \xC3\xBC"}, {65535, "z"}};

TEST(StringCatalogue, ReadsWhatWasBuilt) {
    const auto catalogue = StringCatalogue::Parse(BuildStringCatalogue(kTexts));
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(catalogue->Size(), 4u);
    for (const auto& [id, text] : kTexts) EXPECT_EQ(catalogue->Find(id), text) << id;
    EXPECT_FALSE(catalogue->Find(105));
    EXPECT_FALSE(catalogue->Find(0));
    EXPECT_FALSE(catalogue->Find(70000));
    const auto empty = StringCatalogue::Parse(BuildStringCatalogue({}));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->Find(104));
}

// Replaces the bytes at `at` of a good catalogue.
std::string Patched(std::size_t at, std::string_view bytes) {
    std::string file = BuildStringCatalogue(kTexts);
    file.replace(at, bytes.size(), bytes);
    return file;
}

TEST(StringCatalogue, RefusesEveryMalformedField) {
    const std::size_t count = StringCatalogue::kMagic.size();
    const std::size_t first = count + 11;  // the first index line
    const std::size_t line = 33;
    const std::pair<const char*, std::string> bad[] = {
        {"magic", Patched(0, "harbrook")},
        {"count not digits", Patched(count, "00000000x4")},
        {"count beyond the index", Patched(count, "0000000005")},
        {"count huge", Patched(count, "9999999999")},
        {"ids not rising", Patched(first + line, "0000000104")},
        {"id above 16 bits", Patched(first + 3 * line, "0000065536")},
        {"blank missing", Patched(first + 10, "x")},
        {"line end missing", Patched(first + 32, " ")},
        {"offset past the texts", Patched(first + 11, "0000009999")},
        {"length past the texts", Patched(first + 22, "0000000099")},
        {"length overflowing", Patched(first + 2 * line + 11, "9999999999")},
        {"invalid UTF-8", Patched(first + 4 * line, "\xC3\x28")},
        {"a NUL in a text", Patched(first + 4 * line + 1, std::string(1, '\0'))},
        {"empty", ""},
    };
    for (const auto& [why, bytes] : bad) EXPECT_FALSE(StringCatalogue::Parse(bytes)) << why;
}

// (Changed bytes, read without going out of bounds, are the fuzz target's.)
TEST(StringCatalogue, EveryCutFileIsRefused) {
    const std::string good = BuildStringCatalogue(kTexts);
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(StringCatalogue::Parse(good.substr(0, size))) << "cut to " << size;
    }
}

TEST(StringCatalogue, ReadsFilesUpToTheLimit) {
    test::Sandbox sandbox;
    const auto file = sandbox.root() / "german.catalog";
    std::ofstream(file, std::ios::binary) << BuildStringCatalogue(kTexts);
    ASSERT_TRUE(StringCatalogue::ReadFile(file));
    EXPECT_EQ(StringCatalogue::ReadFile(file)->Find(107), "Dateien senden");
    EXPECT_FALSE(StringCatalogue::ReadFile(sandbox.root() / "missing.catalog"));
    EXPECT_FALSE(StringCatalogue::ReadFile(sandbox.root())) << "a folder";
    // One text that makes the file a byte too large.
    const std::string head = BuildStringCatalogue({{1, ""}});
    const std::string big =
        BuildStringCatalogue({{1, std::string(StringCatalogue::kMaxBytes + 1 - head.size(), 'x')}});
    ASSERT_EQ(big.size(), StringCatalogue::kMaxBytes + 1);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << big;
    EXPECT_FALSE(StringCatalogue::ReadFile(file));
}

}  // namespace
}  // namespace harbrook::platform
