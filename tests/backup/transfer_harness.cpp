#include "tests/backup/transfer_harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <set>

#include "backup/backup_receiver.h"
#include "backup/manifest.h"
#include "core/settings_store.h"
#include "link/link_threads.h"
#include "locale/ui_strings.h"
#include "tests/support/sandbox_system.h"

namespace harbrook::test {
TransferHarness::TransferHarness(Timing timing)
    : link(frontend, m_folders, FreePortPlan(), timing), storage(link.state) {
    m_folders.layout = &storage;
    backupRoot = sandbox.root() / "backup-root";
    std::filesystem::create_directories(backupRoot);
    CSettingsStore().WriteRootDirectory(backupRoot);
    link.state.SetConnectionState(true, "Pixel", "id1", "127.0.0.1");
}

TransferHarness::~TransferHarness() {
    Stop();
}

void TransferHarness::StartReceiver(bool expectBound) {
    m_receiver = std::jthread([this] { BackupReceiverThread(link, storage); });
    if (expectBound) {
        EXPECT_TRUE(WaitFor([this] { return link.backupPort.load() != 0; }))
            << "the backup receiver bound no port";
    }
}

std::string TransferHarness::StartPairing() {
    m_pairing = std::jthread([this] { PairingServerThread(link); });
    WaitFor([this] { return link.pairingPort.load() != 0; });
    return "127.0.0.1:" + std::to_string(link.pairingPort.load());
}

std::chrono::milliseconds TransferHarness::Stop() {
    const auto start = std::chrono::steady_clock::now();
    link.stop.RequestStop();
    if (m_receiver.joinable()) m_receiver.join();
    if (m_pairing.joinable()) m_pairing.join();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

std::string TransferHarness::BackupEndpoint() const {
    return "127.0.0.1:" + std::to_string(link.backupPort.load());
}

std::filesystem::path TransferHarness::PhoneFolder() const {
    return backupRoot / LoadUiString(kBackupFolderStringId, 100) / "Pixel";
}

std::filesystem::path TransferHarness::CategoryFolder(BackupCategory category) const {
    const auto& info = kCategories[static_cast<std::size_t>(category)];
    return PhoneFolder() / LoadUiString(info.folderStringId, 100);
}

phone::BackupOptions TransferHarness::PhoneOptions() const {
    phone::BackupOptions options;
    options.pcEndpoint = BackupEndpoint();
    options.replyTimeout = std::chrono::milliseconds(8000);
    // Each backup its own identity, as the hostile tests do: the PC may still
    // know a closed link's socket under the old one for a moment, and it
    // serves the first of two peers with one identity.
    static std::atomic<unsigned> links{0};
    options.identity = "harbrook-phone-" + std::to_string(++links);
    return options;
}

bool TransferHarness::WaitForBackupEnds(std::size_t count, std::chrono::milliseconds deadline) {
    return WaitFor([&] { return frontend.backupEnds().size() >= count; }, deadline);
}

phone::BackupFile MakePhoneFile(const std::filesystem::path& path, std::uintmax_t size,
                                std::string category, unsigned seed) {
    std::filesystem::create_directories(path.parent_path());
    WritePatternFile(path, size, seed);
    return {path, path.filename().string(), std::move(category), static_cast<std::int64_t>(size)};
}

std::uint64_t HashFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return 0;
    std::uint64_t hash = 14695981039346656037ULL;
    std::vector<char> block(1 << 16);
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash ^= static_cast<unsigned char>(block[static_cast<std::size_t>(i)]);
            hash *= 1099511628211ULL;
        }
    }
    return hash;
}

std::vector<std::filesystem::path> FilesUnder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        // The manifest is the folder's own record, not a file that arrived.
        if (it->is_regular_file() && it->path().filename() != kManifestFileName)
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace harbrook::test
