// Shared by the backup and send tests: a sandboxed PC core (link context,
// storage layout, recorder front end) with its own free ports and fast
// timings, a backup receiver on a stoppable thread, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "backup/storage_layout.h"
#include "link/link_context.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"
#include "tools/phone/phone_backup.h"

namespace harbrook::test {

class TransferHarness {
  public:
    explicit TransferHarness(Timing timing = FastTiming());
    ~TransferHarness();
    TransferHarness(const TransferHarness&) = delete;
    TransferHarness& operator=(const TransferHarness&) = delete;

    // Starts BackupReceiverThread and, unless told not to, expects it to bind
    // its port.
    void StartReceiver(bool expectBound = true);
    // Starts PairingServerThread; its QR text once it has bound.
    std::string StartPairing();
    // Stops every worker and joins the receiver; returns how long that took.
    std::chrono::milliseconds Stop();

    std::string BackupEndpoint() const;
    std::filesystem::path PhoneFolder() const;  // <root>/Backup of Harbrook/Pixel
    std::filesystem::path CategoryFolder(BackupCategory category) const;
    phone::BackupOptions PhoneOptions() const;

    // Waits until `count` backups have ended (completed or not).
    bool WaitForBackupEnds(std::size_t count,
                           std::chrono::milliseconds deadline = std::chrono::seconds(20));

    Sandbox sandbox;  // first: it points HOME and the XDG folders at the sandbox
    RecorderFrontend frontend;

  private:
    // The link needs a folder preparer before the storage layout, which
    // needs the link's state, exists.
    struct LateFolders final : BackupFolderPreparer {
        StorageLayout* layout = nullptr;
        bool PrepareBackupFolders(std::int64_t neededBytes) override {
            return layout && layout->PrepareBackupFolders(neededBytes);
        }
    } m_folders;

  public:
    LinkContext link;
    StorageLayout storage;
    std::filesystem::path backupRoot;

  private:
    std::jthread m_receiver, m_pairing;
};

// A phone file of `size` pattern bytes at `path` (folders made as needed).
phone::BackupFile MakePhoneFile(const std::filesystem::path& path, std::uintmax_t size,
                                std::string category, unsigned seed = 1);

// A 64-bit FNV-1a digest of the file's bytes; 0 for a missing file.
std::uint64_t HashFile(const std::filesystem::path& file);

// Regular files under the folder, recursively, but for a phone's manifest.
std::vector<std::filesystem::path> FilesUnder(const std::filesystem::path& folder);

// A sandbox folder to make files in, for the tests of names and files.
class FolderTest : public ::testing::Test {
  protected:
    std::filesystem::path Dir() const { return sandbox.root(); }
    void Touch(const std::string& name, const std::string& content = "old") {
        std::ofstream(Dir() / name) << content;
    }
    Sandbox sandbox;
};

}  // namespace harbrook::test
