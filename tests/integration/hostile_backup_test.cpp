#include <sys/mount.h>

#include <zmq.hpp>

#include "link/frames.h"
#include "tests/integration/backup_fixture.h"

namespace harbrook::test {
namespace {

// A phone that says exactly what the test tells it to.
class RawPhone {
  public:
    explicit RawPhone(const std::string& endpoint) {
        SetIdentity(m_socket, "raw");
        SetReceiveTimeout(m_socket, std::chrono::seconds(5));
        m_socket.set(zmq::sockopt::linger, 0);
        m_socket.connect("tcp://" + endpoint);
    }
    void Send(const std::vector<std::string>& frames) {
        for (std::size_t i = 0; i < frames.size(); ++i)
            SendText(m_socket, frames[i], i + 1 < frames.size());
    }
    std::string Reply() {
        auto f = RecvText(m_socket, 64);
        return f ? f->text : "";
    }

  private:
    zmq::context_t m_ctx;
    zmq::socket_t m_socket{m_ctx, zmq::socket_type::dealer};
};

TEST_F(BackupTest, HostileNamesStayInTheirCategoryFolder) {
    const std::vector<std::string> names = {"../x.jpg",      "/etc/x.jpg",      "a\\..\\b.jpg",
                                            "..\\..\\c.jpg", "ctl\x01\x1f.jpg", "./d.jpg",
                                            "e/../../f.jpg"};
    std::vector<phone::BackupFile> files;
    for (const auto& n : names) {
        auto f = Make("plain.jpg", 100, "camera");
        f.name = n;
        files.push_back(f);
    }
    const auto result = Backup(files);
    ASSERT_TRUE(result.ended) << result.error;
    ASSERT_TRUE(BannerBecomes("Backup completed"));
    EXPECT_EQ(FilesOutside(Folder(BackupCategory::Camera)), std::vector<std::filesystem::path>{});
    // ".." alone has nothing left once cleaned: the backup fails, nothing is written.
    auto dots = Make("plain.jpg", 100, "camera");
    dots.name = "..";
    Backup({dots});
    EXPECT_TRUE(BannerBecomes("Backup failed"));
    EXPECT_EQ(FilesOutside(Folder(BackupCategory::Camera)), std::vector<std::filesystem::path>{});
}

TEST_F(BackupTest, HugeNamesAndNumbersAreRefusedNotObeyed) {
    RawPhone p(Endpoint());
    p.Send({"1000000000"});  // 1 GB announced: only a free-space question
    ASSERT_EQ(p.Reply(), "sufficient");
    p.Send({std::string(300 * 1024, 'n') + ".jpg", "10", "camera", "file"});
    ASSERT_TRUE(BannerBecomes("Backup failed"));
    EXPECT_EQ(FilesOutside(Folder(BackupCategory::Camera)), std::vector<std::filesystem::path>{});

    RawPhone q(Endpoint());
    q.Send({"99999999999999999999999"});  // saturates instead of overflowing
    EXPECT_EQ(q.Reply(), "insufficient");
}

TEST_F(BackupTest, OversizedChunkEndsTheBackup) {
    RawPhone p(Endpoint());
    p.Send({"1000"});
    ASSERT_EQ(p.Reply(), "sufficient");
    p.Send({"a.jpg", "1000", "camera", "file"});
    ASSERT_EQ(p.Reply(), "fetch");
    p.Send({std::string(300011, 'x')});
    EXPECT_TRUE(BannerBecomes("Backup failed"));
    EXPECT_EQ(std::filesystem::file_size(Folder(BackupCategory::Camera) / "a.jpg"), 0u);
}

TEST_F(BackupTest, NeverEndingFileIsCutOffAfterItsAnnouncedSize) {
    RawPhone p(Endpoint());
    p.Send({"1000"});
    ASSERT_EQ(p.Reply(), "sufficient");
    p.Send({"a.jpg", "1000", "camera", "file"});
    const std::string full(300000, 'x');
    int fetches = 0;
    std::string word;
    while ((word = p.Reply()) == "fetch" && fetches < 10) {
        ++fetches;
        p.Send({full});
    }
    EXPECT_EQ(fetches, 1) << "no fetch after more than the announced size arrived";
    EXPECT_EQ(word, "fileError");
}

// A small filesystem of its own, so that the disk really fills up.
class FullDiskTest : public BackupTest {
  protected:
    void SetUp() override {
        small = h.sandbox.root() / "small";
        std::filesystem::create_directories(small);
        if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=2m") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
        mounted = true;
        BackupTest::SetUp();
        ASSERT_TRUE(CSettingsStore().WriteRootDirectory(small));
    }
    void TearDown() override {
        h.Stop();
        if (mounted) ::umount2(small.c_str(), MNT_DETACH);
    }
    std::filesystem::path small;
    bool mounted = false;
};

TEST_F(FullDiskTest, FullDiskEndsTheBackupAndKeepsEarlierFiles) {
    const auto a = Make("a.jpg", 700000, "camera", 1);
    const auto b = Make("b.jpg", 700000, "camera", 2);
    const auto c = Make("c.jpg", 900000, "camera", 3);
    // The announced total is checked against free space, so announce less than is sent.
    phone::BackupOptions o;
    o.forceTotal = "1000";
    const auto result = Backup({a, b, c}, o);
    ASSERT_TRUE(BannerBecomes("Backup failed"));
    const auto camera = Folder(BackupCategory::Camera);
    EXPECT_TRUE(ReadFileBytes(camera / "a.jpg") == ReadFileBytes(a.path));
    EXPECT_TRUE(ReadFileBytes(camera / "b.jpg") == ReadFileBytes(b.path));
    // The user makes room; the next backup works.
    std::filesystem::remove(camera / "c.jpg");
    std::filesystem::remove(camera / "b.jpg");
    ASSERT_TRUE(WaitFor([&] { return !h.link.transferBusy.test(); }));
    const auto d = Make("d.jpg", 300000, "camera", 4);
    const auto next = Backup({d});
    ASSERT_TRUE(next.ended) << next.error;
    ASSERT_TRUE(BannerBecomes("Backup completed"));
    EXPECT_TRUE(ReadFileBytes(camera / "d.jpg") == ReadFileBytes(d.path));
}

}  // namespace
}  // namespace harbrook::test
