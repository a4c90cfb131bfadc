// A PC backup receiver on loopback with a real storage layout under the
// sandbox, and the phone stand-in to drive it.
#pragma once

#include <gtest/gtest.h>

#include "backup/backup_receiver.h"
#include "core/settings_store.h"
#include "tests/support/link_harness.h"
#include "tools/phone/phone_backup.h"

namespace harbrook::test {

class BackupTest : public ::testing::Test {
  protected:
    LinkHarness h;
    StorageLayout storage{h.link.state};
    std::filesystem::path root = h.sandbox.root() / "backup-root";
    std::filesystem::path source = h.sandbox.root() / "phone";

    void SetUp() override {
        std::filesystem::create_directories(root);
        std::filesystem::create_directories(source);
        ASSERT_TRUE(CSettingsStore().WriteRootDirectory(root));
        h.countingFolders.forward = &storage;
        h.link.state.SetConnectionState(true, "Pixel", "abc123", "127.0.0.1");
        h.Start([this](LinkContext& l) { BackupReceiverThread(l, storage); });
        ASSERT_TRUE(WaitFor([&] { return h.link.backupPort.load() != 0; }));
    }

    std::string Endpoint() const { return "127.0.0.1:" + std::to_string(h.link.backupPort); }
    std::filesystem::path Folder(BackupCategory c) const { return storage.KeptPath(c); }

    phone::BackupFile Make(const std::string& name, std::uintmax_t size,
                           const std::string& category, unsigned seed = 1) {
        const auto path = source / std::to_string(m_next++) / name;
        std::filesystem::create_directories(path.parent_path());
        WritePatternFile(path, size, seed);
        return {path, name, category};
    }

    phone::BackupResult Backup(const std::vector<phone::BackupFile>& files,
                               phone::BackupOptions options = {}) {
        options.timeout = std::chrono::milliseconds(5000);
        return phone::RunBackup(Endpoint(), files, options);
    }

    // Waits until the banner shows the text (the receiver ends after the phone).
    bool BannerBecomes(const std::string& text) {
        return WaitFor([&] { return h.frontend.lastBanner() == text; });
    }

    // Every regular file under the sandbox that is not in `allowed` folders or the phone's.
    std::vector<std::filesystem::path> FilesOutside(const std::filesystem::path& allowed) {
        std::vector<std::filesystem::path> stray;
        for (const auto& e : std::filesystem::recursive_directory_iterator(h.sandbox.root())) {
            if (!e.is_regular_file()) continue;
            const auto rel = e.path().lexically_relative(allowed);
            const auto relSource = e.path().lexically_relative(source);
            const bool inside = !rel.empty() && *rel.begin() != "..";
            const bool fromPhone = !relSource.empty() && *relSource.begin() != "..";
            const bool settings = e.path().string().find("/config/") != std::string::npos ||
                                  e.path().string().find("/data/") != std::string::npos;
            if (!inside && !fromPhone && !settings) stray.push_back(e.path());
        }
        return stray;
    }

  private:
    int m_next = 0;
};

}  // namespace harbrook::test
