// A phone backs up over loopback into the sandboxed folder tree: contents,
// categories, chunk boundaries, retries and the endings of a backup.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <zmq.hpp>

#include "backup/manifest.h"
#include "link/keywords.h"
#include "platform/utf8.h"
#include "tests/backup/transfer_harness.h"
#include "tools/phone/phone_requests.h"

namespace harbrook::test {
namespace {

using phone::BackupFile;
using phone::RunPhoneBackup;
using std::chrono::milliseconds;

constexpr const char* kBackingUp = "Backing up files";
constexpr const char* kCompleted = "Backup completed";
constexpr const char* kFailed = "Backup failed";

class BackupFlowTest : public ::testing::Test {
  protected:
    explicit BackupFlowTest(Timing timing = FastTiming()) : h(timing) { h.StartReceiver(); }

    std::filesystem::path PhoneDir() const { return h.sandbox.root() / "phone"; }

    // Expects every file byte-identical, once, in its category folder, and
    // nothing else in the phone's tree.
    void ExpectStored(const std::vector<std::pair<BackupFile, BackupCategory>>& files) {
        for (const auto& [file, category] : files) {
            // Names travel as UTF-8.
            const auto stored = h.CategoryFolder(category) / platform::PathFromUtf8(file.name);
            EXPECT_EQ(HashFile(stored), HashFile(file.source)) << stored;
            EXPECT_EQ(std::filesystem::file_size(stored), static_cast<std::uintmax_t>(file.size));
        }
        EXPECT_EQ(FilesUnder(h.PhoneFolder()).size(), files.size());
    }

    TransferHarness h;
};

TEST_F(BackupFlowTest, MixedFolderArrivesByteForByteInItsCategoryFolder) {
    const auto dir = PhoneDir();
    const std::vector<std::pair<std::filesystem::path, std::uintmax_t>> layout{
        {dir / "DCIM" / "Camera" / "IMG_0001.jpg", 700'000},
        {dir / "DCIM" / "Camera" / "VID_0002.mp4", 1'234'567},
        {dir / "tencent" / "MicroMsg" / "wx_photo.png", 12'345},
        {dir / "Pictures" / "screenshot.png", 300'000},
        {dir / "Music" / "song.mp3", 299'999},
        {dir / "Documents" / "report.pdf", 600'000},
        {dir / "Download" / "notes.txt", 300'001},
        {dir / "Pictures" /
             platform::PathFromUtf8("\xC3\xA9t\xC3\xA9 \xE5\x86\x99\xE7\x9C\x9F.jpg"),
         4'096},
    };
    unsigned seed = 1;
    for (const auto& [path, size] : layout) MakePhoneFile(path, size, "", seed++);
    const auto files = phone::CollectBackupFiles({dir});
    ASSERT_EQ(files.size(), layout.size());

    const auto report = RunPhoneBackup(h.PhoneOptions(), files);
    EXPECT_TRUE(report.ended) << report.problem;
    EXPECT_EQ(report.totalReply, "sufficient");
    EXPECT_EQ(report.filesAccepted, static_cast<int>(files.size()));
    EXPECT_EQ(report.fileErrors, 0);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(h.frontend.banners(), (std::vector<std::string>{kBackingUp, kCompleted}));

    auto categoryOf = [](const std::string& word) {
        for (const auto& c : kCategories)
            if (c.wireWord == word) return c.category;
        ADD_FAILURE() << "phone picked an unknown category " << word;
        return BackupCategory::Document;
    };
    std::vector<std::pair<BackupFile, BackupCategory>> expected;
    for (const auto& f : files) expected.emplace_back(f, categoryOf(f.category));
    ExpectStored(expected);
    EXPECT_TRUE(std::filesystem::exists(h.CategoryFolder(BackupCategory::Camera) / "IMG_0001.jpg"));
    EXPECT_TRUE(
        std::filesystem::exists(h.CategoryFolder(BackupCategory::Tencent) / "wx_photo.png"));
    EXPECT_TRUE(std::filesystem::exists(h.CategoryFolder(BackupCategory::Audio) / "song.mp3"));
    EXPECT_TRUE(std::filesystem::exists(h.CategoryFolder(BackupCategory::Document) / "notes.txt"));
}

TEST_F(BackupFlowTest, ChunkBoundariesTakeTheRightNumberOfFetches) {
    // One fetch per 300000 bytes, plus one answered by the end marker when
    // the last chunk was full.
    const std::vector<std::pair<std::uintmax_t, int>> sizes{
        {1, 1}, {299'999, 1}, {300'000, 2}, {300'001, 2}, {600'000, 3}};
    std::vector<std::pair<BackupFile, BackupCategory>> expected;
    std::vector<BackupFile> files;
    int fetches = 0;
    for (const auto& [size, fetchCount] : sizes) {
        files.push_back(MakePhoneFile(PhoneDir() / ("f" + std::to_string(size) + ".bin"), size,
                                      "document", static_cast<unsigned>(size)));
        expected.emplace_back(files.back(), BackupCategory::Document);
        fetches += fetchCount;
    }
    const auto report = RunPhoneBackup(h.PhoneOptions(), files);
    EXPECT_TRUE(report.ended) << report.problem;
    EXPECT_EQ(report.chunksSent, fetches);
    EXPECT_EQ(report.fileErrors, 0);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    ExpectStored(expected);
}

TEST_F(BackupFlowTest, GeneratedFilesArriveAsTheyWereMade) {
    // The benchmarks' phone: content made in memory, chunked like a file.
    const auto files = phone::GenerateBackupFiles(3, 600'001);
    const auto made = [](const phone::BackupFile& file) {
        std::vector<char> scratch;
        std::string bytes;
        for (std::int64_t at = 0; at < file.size;) {
            const auto chunk = phone::GeneratedChunk(file, at, scratch);
            bytes.append(chunk.data(), chunk.size());
            at += static_cast<std::int64_t>(chunk.size());
        }
        return bytes;
    };
    const auto report = RunPhoneBackup(h.PhoneOptions(), files);
    EXPECT_TRUE(report.ended) << report.problem;
    EXPECT_EQ(report.chunksSent, 9);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    for (const auto& file : files) {
        std::ifstream in(h.CategoryFolder(BackupCategory::Camera) / file.name, std::ios::binary);
        const std::string stored((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(made(file).size(), 600'001u);
        EXPECT_TRUE(stored == made(file)) << file.name;
    }
    // No two files alike, however many: the PC would find the content stored.
    const auto many = phone::GenerateBackupFiles(1000, 20);
    std::set<std::string> contents;
    for (const auto& file : many) contents.insert(made(file));
    EXPECT_EQ(contents.size(), many.size());
}

TEST_F(BackupFlowTest, APhoneThatBacksUpTheMomentItIsPairedIsServed) {
    h.link.state.SetConnectionState(false, "", "", "");
    const std::string qrText = h.StartPairing();
    phone::PhoneProfile phone;
    phone.name = "Pixel";
    phone.id = "id1";
    phone.routingId = "r-id1";
    phone.address = "127.0.0.1";
    const auto file = MakePhoneFile(PhoneDir() / "IMG_1.jpg", 1000, "camera");
    ASSERT_TRUE(phone::Pair(phone, qrText));
    const auto report = RunPhoneBackup(h.PhoneOptions(), {file});
    EXPECT_EQ(report.totalReply, "sufficient");
    EXPECT_TRUE(report.ended) << report.problem;
    ExpectStored({{file, BackupCategory::Camera}});
}

TEST_F(BackupFlowTest, WindowsDeviceNamesAreStoredUnderSafeNamesAndTheBackupGoesOn) {
    std::vector<BackupFile> files;
    unsigned seed = 1;
    for (const char* name : {"aux.mp3", "con.pdf", "nul.txt", "com1.log", "LPT2.jpg", "zz.jpg"}) {
        // The phone's copy lies under a plain name: on Windows the test itself
        // could not make a file called aux.mp3 (it would open the device).
        files.push_back(
            MakePhoneFile(PhoneDir() / ("source" + std::to_string(seed)), 1000, "other", seed));
        files.back().name = name;
        ++seed;
    }
    const auto report = RunPhoneBackup(h.PhoneOptions(), files);
    EXPECT_TRUE(report.ended) << report.problem;
    EXPECT_EQ(report.filesAccepted, 6);
    const auto other = h.CategoryFolder(BackupCategory::Other);
    for (const auto& file : files) {
        const std::string stored = file.name == "zz.jpg" ? file.name : "_" + file.name;
        EXPECT_EQ(HashFile(other / stored), HashFile(file.source)) << stored;
    }
}

TEST(BackupReceiverTest, PortsTakenAtStartAreTriedAgainAndTheUserIsToldOnce) {
    TransferHarness h;
    {
        zmq::context_t context;
        std::vector<zmq::socket_t> blockers;
        for (int port : h.link.ports.backup) {
            blockers.emplace_back(context, zmq::socket_type::router);
            blockers.back().set(zmq::sockopt::linger, 0);
            blockers.back().bind("tcp://*:" + std::to_string(port));
        }
        h.StartReceiver(false);
        ASSERT_TRUE(WaitFor([&] { return !h.frontend.messages().empty(); }));
    }
    ASSERT_TRUE(WaitFor([&] { return h.link.backupPort.load() != 0; }));
    EXPECT_EQ(h.frontend.messages().size(), 1u);
    const auto file = MakePhoneFile(h.sandbox.root() / "phone" / "a.pdf", 1000, "document");
    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {file}).ended);
}

TEST_F(BackupFlowTest, RefusedOffersFailTheBackupAndTheNextOneIsServed) {
    struct Case {
        const char* what;
        std::uintmax_t size;
        const char* name;
        const char* category;
    };
    const Case cases[] = {
        {"an empty file", 0, "empty.jpg", "camera"},
        {"a name without a dot", 10, "README", "document"},
        {"an unknown category", 10, "song.mp3", "music"},
        {"a category in capitals", 10, "IMG.jpg", "Camera"},
    };
    std::size_t ended = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto options = h.PhoneOptions();
        options.replyTimeout = milliseconds(1500);  // the PC hangs up without a word
        options.announcedTotal = "10";              // an empty file alone would make a total of 0
        const auto file = MakePhoneFile(PhoneDir() / c.name, c.size, c.category);
        const auto report = RunPhoneBackup(options, {file});
        EXPECT_EQ(report.totalReply, "sufficient");
        EXPECT_FALSE(report.ended);
        ASSERT_TRUE(h.WaitForBackupEnds(++ended));
        EXPECT_EQ(h.frontend.lastBanner(), kFailed);
        EXPECT_FALSE(h.frontend.LastBackupCompleted());
        std::filesystem::remove(file.source);
    }
    EXPECT_TRUE(FilesUnder(h.PhoneFolder()).empty());

    const auto good = MakePhoneFile(PhoneDir() / "ok.jpg", 1000, "camera");
    const auto report = RunPhoneBackup(h.PhoneOptions(), {good});
    EXPECT_TRUE(report.ended) << report.problem;
    ASSERT_TRUE(h.WaitForBackupEnds(ended + 1));
    EXPECT_EQ(h.frontend.lastBanner(), kCompleted);
}

TEST_F(BackupFlowTest, ShortDeliveriesUseUpThePerBackupAllowance) {
    // a.jpg arrives short three times: fileError, fileError, then fileEnd with
    // what came (the allowance starts again at 2). b.jpg arrives short once
    // and then whole.
    const auto a = MakePhoneFile(PhoneDir() / "a.jpg", 400'000, "camera", 1);
    const auto b = MakePhoneFile(PhoneDir() / "b.jpg", 100'000, "camera", 2);
    auto options = h.PhoneOptions();
    options.shortDeliveries = 4;
    const auto report = RunPhoneBackup(options, {a, b});
    EXPECT_TRUE(report.ended) << report.problem;
    EXPECT_EQ(report.fileErrors, 3);
    EXPECT_EQ(report.filesAccepted, 2);
    ASSERT_TRUE(h.WaitForBackupEnds(1));

    // Every resend deleted the copy before it: one file each, no numbered ones.
    const auto camera = h.CategoryFolder(BackupCategory::Camera);
    EXPECT_EQ(FilesUnder(h.PhoneFolder()),
              (std::vector<std::filesystem::path>{camera / "a.jpg", camera / "b.jpg"}));
    EXPECT_EQ(std::filesystem::file_size(camera / "a.jpg"), 399'999u);
    const std::string whole = ReadFileBytes(a.source);
    EXPECT_EQ(ReadFileBytes(camera / "a.jpg"), whole.substr(0, 399'999));
    EXPECT_EQ(HashFile(camera / "b.jpg"), HashFile(b.source));
}

TEST_F(BackupFlowTest, SameNameAndSizeInARowReplacesTheFileBefore) {
    // Two different phone files that share name and size: the first one's
    // copy goes, whether the second lands in its folder or in another.
    const auto first = MakePhoneFile(PhoneDir() / "1" / "x.jpg", 5000, "camera", 1);
    const auto second = MakePhoneFile(PhoneDir() / "2" / "x.jpg", 5000, "camera", 2);
    const auto third = MakePhoneFile(PhoneDir() / "3" / "x.jpg", 5000, "other", 3);
    const auto fourth = MakePhoneFile(PhoneDir() / "4" / "x.jpg", 5000, "other", 4);
    const auto report = RunPhoneBackup(h.PhoneOptions(), {first, second, third});
    EXPECT_TRUE(report.ended) << report.problem;
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(
        FilesUnder(h.PhoneFolder()),
        (std::vector<std::filesystem::path>{h.CategoryFolder(BackupCategory::Other) / "x.jpg"}));
    EXPECT_EQ(HashFile(h.CategoryFolder(BackupCategory::Other) / "x.jpg"), HashFile(third.source));

    // A new backup starts without a previous file: the same name and size
    // is numbered beside the earlier copy instead of replacing it.
    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {fourth}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(2));
    const auto other = h.CategoryFolder(BackupCategory::Other);
    EXPECT_EQ(HashFile(other / "x.jpg"), HashFile(third.source));
    EXPECT_EQ(HashFile(other / "x(1).jpg"), HashFile(fourth.source));
}

TEST_F(BackupFlowTest, InsufficientRoomAndBadTotalsGetTheirAnswers) {
    auto options = h.PhoneOptions();
    options.replyTimeout = milliseconds(1000);
    const auto file = MakePhoneFile(PhoneDir() / "a.jpg", 100, "camera");
    // More than any disk holds: "insufficient", and no backup starts.
    options.announcedTotal = "9223372036854775807";
    EXPECT_EQ(RunPhoneBackup(options, {file}).totalReply, "insufficient");
    // Totals that are not positive numbers get no answer at all.
    for (const char* total : {"0", "-5", "abc", " \t"}) {
        SCOPED_TRACE(total);
        options.announcedTotal = total;
        const auto report = RunPhoneBackup(options, {file});
        EXPECT_TRUE(report.totalReply.empty());
        EXPECT_EQ(report.problem, "no answer to the total");
    }
    EXPECT_TRUE(h.frontend.banners().empty());
    EXPECT_TRUE(h.frontend.backupStarts().empty());

    // Leading blanks and a sign are read like the C library reads them.
    options = h.PhoneOptions();
    options.announcedTotal = "  +100 bytes";
    EXPECT_TRUE(RunPhoneBackup(options, {file}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(h.frontend.backupStarts(), std::vector<std::int64_t>{100});
}

TEST_F(BackupFlowTest, NoAnswerWhileASendHoldsTheTransferFlag) {
    ASSERT_FALSE(h.link.transferBusy.test_and_set());  // as a running send does
    auto options = h.PhoneOptions();
    options.replyTimeout = milliseconds(1000);
    const auto file = MakePhoneFile(PhoneDir() / "a.jpg", 100, "camera");
    EXPECT_EQ(RunPhoneBackup(options, {file}).problem, "no answer to the total");
    EXPECT_TRUE(h.frontend.banners().empty());
    h.link.transferBusy.clear();
    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {file}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_FALSE(h.link.transferBusy.test());  // released at the end
}

class BackupTimeoutTest : public BackupFlowTest {
  protected:
    BackupTimeoutTest() : BackupFlowTest(FastTiming(milliseconds(1000))) {}
};

TEST_F(BackupTimeoutTest, PhoneThatVanishesMidFileLeavesNothingUnderItsNameAndNoStatus) {
    const auto big = MakePhoneFile(PhoneDir() / "big.mp4", 1'000'000, "camera", 3);
    auto options = h.PhoneOptions();
    options.vanishAfterChunks = 2;
    const auto report = RunPhoneBackup(options, {big});
    ASSERT_TRUE(report.vanished) << report.problem;
    // The connection monitor notices the silence and marks the phone gone.
    h.link.state.SetConnectionState(false, "", "", "");
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(h.frontend.banners(), std::vector<std::string>{kBackingUp});
    EXPECT_TRUE(FilesUnder(h.PhoneFolder()).empty()) << "no part that looks whole";
    EXPECT_FALSE(std::filesystem::exists(h.PhoneFolder() / kManifestFileName))
        << "nor an empty one";
    EXPECT_FALSE(h.link.transferBusy.test());

    // The phone comes back and backs up again: the file takes its own name.
    h.link.state.SetConnectionState(true, "Pixel", "id1", "127.0.0.1");
    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {big}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(2));
    EXPECT_EQ(h.frontend.lastBanner(), kCompleted);
    ExpectStored({{big, BackupCategory::Camera}});
}

// A Wi-Fi outage in the middle of a file, while the phone still counts as
// connected: the receive time-out ends the backup, the part goes, and the
// next backup stores the file under its own name, not as big(1).mp4.
TEST_F(BackupTimeoutTest, AnOutageMidFileLeavesNothingUnderItsNameAndTheNextBackupTakesIt) {
    const auto small = MakePhoneFile(PhoneDir() / "a.jpg", 1000, "camera", 2);
    const auto big = MakePhoneFile(PhoneDir() / "big.mp4", 1'000'000, "camera", 3);
    auto options = h.PhoneOptions();
    options.vanishAfterChunks = 2;  // a.jpg's one chunk and big.mp4's first
    EXPECT_TRUE(RunPhoneBackup(options, {small, big}).vanished);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(h.frontend.lastBanner(), kFailed);
    const std::string reason = h.frontend.backupEnds().back().reason;
    EXPECT_NE(reason.find("big.mp4"), std::string::npos) << reason;
    ExpectStored({{small, BackupCategory::Camera}});

    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {big}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(2));
    ExpectStored({{small, BackupCategory::Camera}, {big, BackupCategory::Camera}});
}

// Temporaries that a crash left behind go at the next backup; a phone's own
// file that happens to look like one is stored under another name and stays.
TEST_F(BackupFlowTest, LeftoversOfACrashGoAndNoPhoneFileIsTakenForOne) {
    ASSERT_TRUE(h.storage.PrepareBackupFolders(1024));
    const auto camera = h.CategoryFolder(BackupCategory::Camera);
    WritePatternFile(camera / (std::string(kPartialPrefix) + "IMG_9.jpg"), 5000, 9);
    WritePatternFile(camera / ".Harbrook-Part-old.jpg", 10, 9);
    auto lookalike = MakePhoneFile(PhoneDir() / "x.jpg", 100, "camera", 4);
    lookalike.name = ".HARBROOK-part-x.jpg";
    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {lookalike}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(FilesUnder(h.PhoneFolder()),
              std::vector<std::filesystem::path>{camera / "_.HARBROOK-part-x.jpg"});
    const auto next = MakePhoneFile(PhoneDir() / "y.jpg", 10, "camera");
    EXPECT_TRUE(RunPhoneBackup(h.PhoneOptions(), {next}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(2));
    EXPECT_TRUE(std::filesystem::exists(camera / "_.HARBROOK-part-x.jpg"));
}

}  // namespace
}  // namespace harbrook::test
