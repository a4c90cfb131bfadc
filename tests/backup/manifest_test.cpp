// The phone's manifest on its own: lines cut by a crash, and checking a tree
// against it.
#include "backup/manifest.h"

#include <gtest/gtest.h>

#include <fstream>

#include "backup/backup_check.h"
#include "backup/stored_contents.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

namespace fs = std::filesystem;

class ManifestTest : public ::testing::Test {
  protected:
    fs::path Phone() const { return sandbox.root() / "Pixel"; }
    fs::path Manifest() const { return Phone() / kManifestFileName; }
    std::vector<ManifestEntry> Entries(ManifestReading* reading = nullptr) const {
        std::vector<ManifestEntry> entries;
        const auto read = ReadManifest(
            Manifest(), [&](ManifestEntry&& e, std::uint64_t) { entries.push_back(std::move(e)); });
        if (reading) *reading = read;
        return entries;
    }
    Sandbox sandbox;
};

TEST_F(ManifestTest, ALineCutShortIsReportedAndTheNextAppendStartsWhole) {
    fs::create_directories(Phone());
    ManifestEntry first{"Camera/a b.jpg", 12, {}, "20240501T130405Z"};
    first.digest[0] = 0xab;
    ManifestEntry odd{"Camera/line\nbreak\\x.jpg", 7, {}, "20240501T130405Z"};
    {
        std::ofstream out(Manifest(), std::ios::binary);
        const std::string cut = FormatManifestLine(first);
        out << FormatManifestLine(first) << FormatManifestLine(odd) << "broken line\n"
            << cut.substr(0, cut.size() / 2);  // a kill in the middle of an append
    }
    ManifestReading reading;
    auto entries = Entries(&reading);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, first.path);
    EXPECT_EQ(entries[0].digest, first.digest);
    EXPECT_EQ(entries[1].path, odd.path);  // escaped and read back
    EXPECT_EQ(reading.damaged, 1u);
    EXPECT_TRUE(reading.cutLast);

    ManifestAppender appender;
    ASSERT_TRUE(appender.Open(Manifest()));
    ASSERT_TRUE(appender.Append({"Audio/c.mp3", 3, {}, "20240502T000000Z"}));
    entries = Entries(&reading);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].path, "Audio/c.mp3");
    EXPECT_FALSE(reading.cutLast);
    EXPECT_EQ(ParseManifestLine(FormatManifestLine(first))->size, 12);
}

TEST_F(ManifestTest, CheckNamesChangedMissingAndUnrecordedFiles) {
    for (const char* folder : {"Camera", "Documents/deep", "Audio"})
        fs::create_directories(Phone() / folder);
    for (int i = 0; i < 5; ++i)
        WritePatternFile(Phone() / "Camera" / ("f" + std::to_string(i) + ".jpg"), 1000 + i,
                         static_cast<unsigned>(i));
    WritePatternFile(Phone() / "Documents" / "deep" / "d.pdf", 3'000'000, 9);

    // A tree from before the manifest: recorded once, intact from then on.
    auto result = CheckPhoneFolder(Phone(), false);
    EXPECT_EQ(result.unrecorded.size(), 6u);
    EXPECT_FALSE(result.Intact());
    EXPECT_EQ(CheckPhoneFolder(Phone(), true).recorded, 6);
    std::int64_t lastBytes = 0;
    result = CheckPhoneFolder(Phone(), false, [&](const CheckProgress& p) {
        lastBytes = p.bytes;
        return true;
    });
    EXPECT_TRUE(result.Intact());
    EXPECT_EQ(result.files, 6);
    EXPECT_EQ(lastBytes, 3'000'000 + 5 * 1000 + 10);

    {  // one byte flipped, in place
        std::fstream f(Phone() / "Camera" / "f1.jpg",
                       std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(500);
        const char c = static_cast<char>(f.get());
        f.seekp(500);
        f.put(static_cast<char>(c ^ 1));
    }
    fs::remove(Phone() / "Documents" / "deep" / "d.pdf");
    WritePatternFile(Phone() / "Audio" / "new.mp3", 10, 3);
    result = CheckPhoneFolder(Phone(), false);
    EXPECT_FALSE(result.Intact());
    EXPECT_EQ(result.changed, std::vector<std::string>{"Camera/f1.jpg"});
    EXPECT_EQ(result.missing, std::vector<std::string>{"Documents/deep/d.pdf"});
    EXPECT_EQ(result.unrecorded, std::vector<std::string>{"Audio/new.mp3"});
}

// Past the short tail of recent lines, which is merged into the sorted part
// now and then, and read back from the manifest: every file is found by its
// content, among others of the same size.
TEST_F(ManifestTest, StoredContentsFindsEveryRecordedFile) {
    fs::create_directories(Phone() / "Camera");
    std::vector<std::pair<fs::path, FileDigest>> files;
    StoredContents contents;
    ASSERT_TRUE(contents.Open(Phone()));
    for (int i = 0; i < 2500; ++i) {
        const fs::path file = Phone() / "Camera" / ("f" + std::to_string(i) + ".jpg");
        WritePatternFile(file, 100 + i % 3, static_cast<unsigned>(i));
        files.emplace_back(file, *DigestFile(file));
        ASSERT_TRUE(contents.Record(file, files.back().second.size, files.back().second.digest,
                                    "20240501T130405Z"));
    }
    StoredContents reopened;
    ASSERT_TRUE(reopened.Open(Phone()));
    for (StoredContents* lookup : {&contents, &reopened})
        for (const auto& [file, digest] : files)
            ASSERT_EQ(lookup->Find(digest.size, digest.digest), file);
    Sha256Digest other = files[0].second.digest;
    other[31] ^= 1;
    EXPECT_FALSE(contents.Find(files[0].second.size, other));
}

}  // namespace
}  // namespace harbrook::test
