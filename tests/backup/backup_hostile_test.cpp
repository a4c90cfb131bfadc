// A phone that says what no phone app would: odd names, absurd sizes,
// oversized and endless chunks, a full disk, a stop in the middle of a file.
// Nothing may land outside the category folders and the receiver must keep
// serving.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>
#include <set>

#include "core/settings_store.h"
#include "link/keywords.h"
#include "platform/text.h"
#include "platform/utf8.h"
#include "tests/backup/transfer_harness.h"

namespace harbrook::test {
namespace {

using phone::BackupLink;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif
using std::chrono::milliseconds;

// The PC's reply; "(silence)" when it hung up.
std::string Heard(BackupLink& link) {
    return link.ReceiveWord().value_or("(silence)");
}

class BackupHostileTest : public ::testing::Test {
  protected:
    BackupHostileTest() : h(FastTiming(milliseconds(1000))) { h.StartReceiver(); }

    // A backup under way. Replies come at once; silence means the PC hung up.
    std::unique_ptr<BackupLink> Begin(std::string_view total = "1000") {
        // Each backup its own identity: a closed link's socket may still be
        // known to the PC under its old one for a moment.
        auto link = std::make_unique<BackupLink>(
            h.BackupEndpoint(), "hostile-" + std::to_string(++m_links), milliseconds(1500));
        link->SendTotal(total);
        EXPECT_EQ(Heard(*link), "sufficient");
        return link;
    }
    static void End(BackupLink& link) { link.SendOffer("end", "1", "document", kw::kBackingEnd); }
    // Offers the file and, when fetched, sends it whole in one chunk; the
    // PC's last word.
    static std::string SendFile(BackupLink& link, const std::string& name, std::string_view content,
                                const char* category = "document") {
        link.SendOffer(name, std::to_string(content.size()), category, "file");
        const std::string answer = Heard(link);
        if (answer != "fetch") return answer;
        link.SendChunk(content);
        return Heard(link);
    }
    // Every file under the sandbox that was not there before sits directly in
    // one of the five category folders.
    void ExpectNothingOutsideTheCategories(const std::set<std::filesystem::path>& before) {
        std::set<std::filesystem::path> categories;
        for (const auto& c : kCategories) categories.insert(h.CategoryFolder(c.category));
        for (const auto& file : FilesUnder(h.sandbox.root())) {
            if (before.count(file)) continue;
            EXPECT_TRUE(categories.count(file.parent_path())) << "stray file " << file;
        }
    }
    std::set<std::filesystem::path> Snapshot() const {
        const auto files = FilesUnder(h.sandbox.root());
        return {files.begin(), files.end()};
    }

    TransferHarness h;

  private:
    int m_links = 0;
};

TEST_F(BackupHostileTest, NamesThatReachForOtherFoldersStayInTheCategoryFolder) {
    const auto before = Snapshot();
    const std::string longName(255 - 4, 'n');
    struct Case {
        std::string name;
        bool stored;  // false: the backup fails on this offer
    };
    const std::vector<Case> cases{
        // (storage_layout_test has every way a name reaches out; these few
        // show the receiver storing or refusing what the layout made of it.)
        {"..", false},
        {"...", false},
        {"../x.jpg", true},
        {"/etc/x.jpg", true},
        {"a\\..\\b.jpg", true},
        // Control characters stay in the name; Windows refuses to create
        // such a file, so there the backup fails on this offer.
        {std::string("ctl\x01\x1f\n\t.jpg"), !kWindows},
        {"\xff\xfe\x80.jpg", true},
        {longName + ".jpg", true},
        {longName + "x.jpg", false},  // 256 bytes: longer than the name frame
        {std::string(300'000, 'a') + ".jpg", false},
    };
    std::size_t ended = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 40));
        auto link = Begin();
        // Stored, or the PC hangs up on the offer.
        ASSERT_EQ(SendFile(*link, c.name, "hello", "camera"), c.stored ? "fileEnd" : "(silence)");
        if (c.stored) End(*link);
        ASSERT_TRUE(h.WaitForBackupEnds(++ended));
        EXPECT_EQ(h.frontend.LastBackupCompleted(), c.stored);
        // The failure says which name and why (a name longer than its frame
        // never becomes one: that offer is broken). Windows refuses control
        // characters only when the file is created.
        if (!c.stored && c.name.size() < 256) {
            const std::string reason = h.frontend.backupEnds().back().reason;
            const bool named = reason.rfind("cannot store \"" + c.name.substr(0, 2), 0) == 0 ||
                               reason.rfind("cannot create ", 0) == 0;
            EXPECT_TRUE(named) << reason;
        }
        ExpectNothingOutsideTheCategories(before);
    }
    EXPECT_FALSE(std::filesystem::exists("/etc/x.jpg"));
    EXPECT_FALSE(std::filesystem::exists(h.PhoneFolder().parent_path() / "x.jpg"));
    const auto camera = h.CategoryFolder(BackupCategory::Camera);
    EXPECT_EQ(ReadFileBytes(camera / "etcx.jpg"), "hello");
    EXPECT_EQ(ReadFileBytes(camera / "a..b.jpg"), "hello");
}

// Names that grow on the way to the disk, a "(1)" copy or invalid bytes that
// each become U+FFFD, are shortened to the file system's limit; the extension
// stays and the backup goes on.
TEST_F(BackupHostileTest, NamesThatGrowPastTheLimitAreShortenedKeepingTheExtension) {
    const std::string longest = std::string(251, 'L') + ".jpg";
    // The second offer of the longest name differs in size: a new file, not
    // a resend of the first.
    std::vector<std::pair<std::string, std::string>> files{
        {longest, "ok"}, {longest, "ok!"}, {std::string(200, 'c') + "\xe2\x82.png", "ok"}};
    // 104 UTF-16 units but 304 bytes: within the limit on Windows, over it on
    // Linux. Under wine the Windows name lands on a Linux file system, which
    // cuts it at 255 bytes, so this one is checked on Linux only.
    if (!kWindows) files.emplace_back(std::string(100, '\xff') + ".jpg", "ok");
    auto link = Begin();
    for (const auto& [name, content] : files)
        EXPECT_EQ(SendFile(*link, name, content, "camera"), "fileEnd");
    End(*link);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_TRUE(h.frontend.LastBackupCompleted());
    const auto stored = FilesUnder(h.CategoryFolder(BackupCategory::Camera));
    ASSERT_EQ(stored.size(), files.size());
    for (const auto& file : stored) {
        const std::string name = platform::PathToUtf8(file.filename());
        EXPECT_LE(platform::FileNameLength(name), platform::kMaxFileNameLength) << name;
        EXPECT_TRUE(name.ends_with(".jpg") || name.ends_with(".png")) << name;
        EXPECT_EQ(ReadFileBytes(file).substr(0, 2), "ok");
    }
}

TEST_F(BackupHostileTest, AbsurdSizesCostOnlyWhatActuallyArrives) {
    auto link = Begin("1073741824");
    link->SendOffer("huge.mp4", "1073741824", "camera", "file");
    ASSERT_EQ(Heard(*link), "fetch");
    link->SendChunk(std::string_view("0123456789"));
    EXPECT_EQ(Heard(*link), "fileError");
    // (A size beyond 64 bits reads as the largest number: DecimalTextTest.)
    End(*link);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_TRUE(h.frontend.LastBackupCompleted());
    // Short files the phone never sent again are not whole: they got no name.
    EXPECT_TRUE(FilesUnder(h.PhoneFolder()).empty());
}

TEST_F(BackupHostileTest, EndlessFileGetsItsVerdictAfterOneChunkPastItsSize) {
    auto link = Begin();
    link->SendOffer("endless.bin", "1000", "document", "file");
    const std::string full(300'000, 'e');
    int fetches = 0;
    std::optional<std::string> word;
    while ((word = link->ReceiveWord()) == std::optional<std::string>("fetch") && fetches < 50) {
        ++fetches;
        link->SendChunk(full);
    }
    EXPECT_EQ(fetches, 1);
    EXPECT_EQ(word, std::optional<std::string>("fileError"));
    End(*link);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_TRUE(FilesUnder(h.PhoneFolder()).empty());
}

TEST_F(BackupHostileTest, OversizedChunksAndStrayFramesEndOnlyThatBackup) {
    {  // A chunk longer than the chunk buffer is no chunk of ours.
        auto link = Begin();
        link->SendOffer("a.bin", "400000", "document", "file");
        ASSERT_EQ(Heard(*link), "fetch");
        link->SendChunk(std::string(400'000, 'x'));
        EXPECT_FALSE(link->ReceiveWord().has_value());
        ASSERT_TRUE(h.WaitForBackupEnds(1));
        EXPECT_EQ(h.frontend.lastBanner(), "Backup failed");
    }
    {  // Past the socket's message limit the library drops the phone outright.
        auto link = Begin();
        link->SendOffer("b.bin", "400000", "document", "file");
        ASSERT_EQ(Heard(*link), "fetch");
        link->SendChunk(std::string(3'000'000, 'x'));
        ASSERT_TRUE(h.WaitForBackupEnds(2));
        EXPECT_FALSE(h.frontend.LastBackupCompleted());
    }
    {  // Extra frames after an offer or a chunk are dropped; the talk goes on.
        auto link = Begin();
        link->SendFrames({"c.bin", "3", "document", "file", "junk", "more junk"});
        ASSERT_EQ(Heard(*link), "fetch");
        link->SendFrames({"abc", "trailing"});
        EXPECT_EQ(Heard(*link), "fileEnd");
        End(*link);
        ASSERT_TRUE(h.WaitForBackupEnds(3));
        EXPECT_TRUE(h.frontend.LastBackupCompleted());
    }
    EXPECT_EQ(ReadFileBytes(h.CategoryFolder(BackupCategory::Document) / "c.bin"), "abc");
}

TEST_F(BackupHostileTest, ALateChunkIsNotTakenForANewTotal) {
    // A chunk that reaches a freshly opened socket starts like a number
    // followed by a zero byte; read as text it would be a total of 123.
    BackupLink late(h.BackupEndpoint(), "late", milliseconds(1000));
    std::string chunk(300'000, 'z');
    chunk.replace(0, 4, std::string("123\0", 4));
    late.SendChunk(chunk);
    EXPECT_FALSE(late.ReceiveWord().has_value());
    EXPECT_TRUE(h.frontend.backupStarts().empty());
    auto link = Begin();
    End(*link);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(h.frontend.backupStarts(), std::vector<std::int64_t>{1000});
}

// A backup belongs to the identity that started it: another peer's frames,
// an offer or a total, neither land in it nor disturb it, and the intruder
// hears nothing.
TEST_F(BackupHostileTest, AnotherPeersFramesDuringABackupAreDroppedAndTheBackupGoesOn) {
    auto link = Begin();
    BackupLink intruder(h.BackupEndpoint(), "intruder", milliseconds(300));
    link->SendOffer("mine.bin", "3", "document", "file");
    ASSERT_EQ(Heard(*link), "fetch");
    intruder.SendChunk(std::string_view("evil"));
    EXPECT_FALSE(intruder.ReceiveWord().has_value());
    link->SendChunk(std::string_view("abc"));
    EXPECT_EQ(Heard(*link), "fileEnd");
    intruder.SendTotal("5000");
    intruder.SendOffer("theirs.bin", "4", "document", "file");
    EXPECT_FALSE(intruder.ReceiveWord().has_value());
    EXPECT_EQ(SendFile(*link, "second.bin", "de"), "fileEnd");
    End(*link);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_TRUE(h.frontend.LastBackupCompleted());
    const auto documents = h.CategoryFolder(BackupCategory::Document);
    EXPECT_EQ(ReadFileBytes(documents / "mine.bin"), "abc");
    EXPECT_EQ(ReadFileBytes(documents / "second.bin"), "de");
    EXPECT_FALSE(std::filesystem::exists(documents / "theirs.bin"));
    // Once that backup has ended, the phone may start the next one under any identity.
    auto next = Begin();
    End(*next);
    ASSERT_TRUE(h.WaitForBackupEnds(2));
    EXPECT_TRUE(h.frontend.LastBackupCompleted());
}

TEST_F(BackupHostileTest, StopInTheMiddleOfAFileIsQuickAndLeavesNothingUnderItsName) {
    auto link = Begin();
    link->SendOffer("half.bin", "900000", "document", "file");
    ASSERT_EQ(Heard(*link), "fetch");
    const std::string chunk(300'000, 'h');
    link->SendChunk(chunk);
    ASSERT_EQ(Heard(*link), "fetch");
    const auto took = h.Stop();
    EXPECT_LT(took, milliseconds(1000));
    EXPECT_TRUE(FilesUnder(h.PhoneFolder()).empty());
    EXPECT_FALSE(h.link.transferBusy.test());
}

// A peer that is not the connected phone, speaking from `source`.
std::unique_ptr<BackupLink> Stranger(const TransferHarness& h, const char* source,
                                     std::string_view identity) {
    return std::make_unique<BackupLink>(h.BackupEndpoint(), identity, milliseconds(500), source);
}

// Only the connected phone, from its own address, backs up. Anyone else on
// the network is not answered, cannot hold the one backup socket (announce a
// total and fall silent) and cannot write into or end the phone's backup.
TEST_F(BackupHostileTest, StrangersBesideThePhoneAreNeitherAnsweredNorHoldTheSocket) {
    auto holder = Stranger(h, "127.0.0.2", "holder");
    holder->SendTotal("5000");
    EXPECT_FALSE(holder->ReceiveWord().has_value());
    auto link = Begin();  // at once, though the stranger stays silent
    link->SendOffer("mine.bin", "3", "document", "file");
    ASSERT_EQ(Heard(*link), "fetch");
    // The phone's own identity, from elsewhere, changes nothing either. (The
    // phone answers at once: its silence would end the backup.)
    std::vector<std::unique_ptr<BackupLink>> strangers;
    for (const auto& [source, identity] :
         {std::pair{"127.0.0.3", "hostile-1"}, std::pair{"127.0.0.2", "intruder"}}) {
        strangers.push_back(Stranger(h, source, identity));
        strangers.back()->SendChunk(std::string_view("evil"));
        strangers.back()->SendOffer("theirs.bin", "4", "document", "file");
        strangers.back()->SendOffer("end", "1", "document", kw::kBackingEnd);
    }
    link->SendChunk(std::string_view("abc"));
    EXPECT_EQ(Heard(*link), "fileEnd");
    End(*link);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_TRUE(h.frontend.LastBackupCompleted());
    for (const auto& stranger : strangers) EXPECT_FALSE(stranger->ReceiveWord().has_value());
    EXPECT_EQ(FilesUnder(h.PhoneFolder()),
              std::vector<std::filesystem::path>{h.CategoryFolder(BackupCategory::Document) /
                                                 "mine.bin"});
    // A stranger's backup on its own, after the phone's, is not answered.
    auto alone = Stranger(h, "127.0.0.2", "alone");
    alone->SendTotal("5000");
    EXPECT_FALSE(alone->ReceiveWord().has_value());
    EXPECT_EQ(h.frontend.backupStarts().size(), 1u);
}

TEST(BackupWithoutPhoneTest, WithNoPhoneConnectedNobodyIsAnsweredAndNothingIsMade) {
    TransferHarness h(FastTiming(milliseconds(1000)));
    h.link.state.SetConnectionState(false, "", "", "");
    h.StartReceiver();
    BackupLink link(h.BackupEndpoint(), "nobody", milliseconds(500));
    link.SendTotal("5000");
    EXPECT_FALSE(link.ReceiveWord().has_value());
    EXPECT_FALSE(std::filesystem::exists(h.PhoneFolder().parent_path()));
    EXPECT_TRUE(h.frontend.backupStarts().empty());
    EXPECT_TRUE(h.frontend.banners().empty());
    // Once the phone is connected it is served.
    h.link.state.SetConnectionState(true, "Pixel", "id1", "127.0.0.1");
    const auto file = MakePhoneFile(h.sandbox.root() / "phone" / "a.pdf", 100, "document");
    EXPECT_TRUE(phone::RunPhoneBackup(h.PhoneOptions(), {file}).ended);
}

// A backup keeps no more than the phone announced and one chunk: the file
// that would go past it is removed and the backup ends, saying why.
TEST_F(BackupHostileTest, ABackupKeepsNoMoreThanItAnnouncedAndOneChunk) {
    const std::string full(300'000, 'f');
    {  // One byte announced, then an endless stream.
        auto link = Begin("1");
        link->SendOffer("flood.bin", "1000000000000000", "document", "file");
        int chunks = 0;
        while (link->ReceiveWord() == std::optional<std::string>("fetch") && chunks < 20) {
            ++chunks;
            link->SendChunk(full);
        }
        EXPECT_EQ(chunks, 2);
        ASSERT_TRUE(h.WaitForBackupEnds(1));
    }
    {  // Whole files within the bound are kept; the one past it is not.
        auto link = Begin("700000");
        for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"}) {
            link->SendOffer(name, "300000", "document", "file");
            if (link->ReceiveWord() != std::optional<std::string>("fetch")) break;
            link->SendChunk(full);
            if (link->ReceiveWord() != std::optional<std::string>("fetch")) break;
            link->SendChunk(kw::kEndMarker);
            EXPECT_EQ(Heard(*link), "fileEnd") << name;
        }
        ASSERT_TRUE(h.WaitForBackupEnds(2));
    }
    for (const auto& end : h.frontend.backupEnds()) {
        EXPECT_EQ(end.outcome, BackupOutcome::Failed);
        EXPECT_EQ(end.reason,
                  "the phone sent more than it had announced; the file being received was removed");
    }
    const auto documents = h.CategoryFolder(BackupCategory::Document);
    EXPECT_EQ(FilesUnder(h.PhoneFolder()),
              (std::vector<std::filesystem::path>{documents / "a.bin", documents / "b.bin",
                                                  documents / "c.bin"}));
}

#ifndef _WIN32
// A 2 MiB tmpfs as the backup root; skipped where mounting is not allowed
// (and not built for Windows, which has no tmpfs to mount).
class FullDiskTest : public BackupHostileTest {
  protected:
    void SetUp() override {
        m_mount = h.sandbox.root() / "small-disk";
        std::filesystem::create_directories(m_mount);
        if (::mount("tmpfs", m_mount.c_str(), "tmpfs", 0, "size=2m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        m_mounted = true;
        CSettingsStore().WriteRootDirectory(m_mount);
    }
    void TearDown() override {
        h.Stop();
        if (m_mounted) ::umount2(m_mount.c_str(), MNT_DETACH);
    }
    std::filesystem::path m_mount;
    bool m_mounted = false;
};

TEST_F(FullDiskTest, FullDiskEndsTheBackupKeepsEarlierFilesAndTheNextBackupWorks) {
    const auto dir = h.sandbox.root() / "phone";
    const auto a = MakePhoneFile(dir / "a.jpg", 500'000, "camera", 1);
    const auto b = MakePhoneFile(dir / "b.jpg", 500'000, "camera", 2);
    const auto c = MakePhoneFile(dir / "c.jpg", 3'000'000, "camera", 3);
    auto options = h.PhoneOptions();
    options.replyTimeout = milliseconds(3000);
    // What the disk seems to hold, announced: it fills up before the phone
    // has sent more than that.
    options.announcedTotal = "1900000";
    const auto report = phone::RunPhoneBackup(options, {a, b, c});
    EXPECT_EQ(report.filesAccepted, 2);
    EXPECT_FALSE(report.ended);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    EXPECT_EQ(h.frontend.lastBanner(), "Backup failed");  // the banner keeps its words
    const std::string reason = h.frontend.backupEnds().back().reason;
    EXPECT_NE(reason.find("cannot write "), std::string::npos) << reason;
    // Our own words, with the system's code after them.
    EXPECT_NE(reason.find("c.jpg: the disk is full (system error " + std::to_string(ENOSPC) + ")"),
              std::string::npos)
        << reason;

    const auto camera = m_mount / "Backup of Harbrook" / "Pixel" / "My Album";
    EXPECT_EQ(HashFile(camera / "a.jpg"), HashFile(a.source));
    EXPECT_EQ(HashFile(camera / "b.jpg"), HashFile(b.source));
    EXPECT_FALSE(std::filesystem::exists(camera / "c.jpg"));  // the broken part is gone

    const auto d = MakePhoneFile(dir / "d.jpg", 200'000, "camera", 4);
    EXPECT_TRUE(phone::RunPhoneBackup(h.PhoneOptions(), {d}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(2));
    EXPECT_EQ(h.frontend.lastBanner(), "Backup completed");
    EXPECT_EQ(HashFile(camera / "d.jpg"), HashFile(d.source));
}

#endif  // _WIN32

}  // namespace
}  // namespace harbrook::test
