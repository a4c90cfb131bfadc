// The phone stand-in as the end-to-end tests drive it (the process tests,
// the window tests and the Windows interop tests), against a PC whose ports
// run from `base` (pairing code "127.0.0.1:<base>"), and what they check of
// a backup.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup/manifest.h"
#include "tests/app/child_process.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {

// "run": the phone pairs through the code (or is found) and keeps the PC's
// heartbeat every `intervalMs`.
inline std::vector<std::string> PhoneRunArgs(int base, const std::string& id = "test-pixel-1",
                                             int intervalMs = 300) {
    return {"run",
            "127.0.0.1:" + std::to_string(base),
            "--address",
            "127.0.0.1",
            "--name",
            "Test Pixel",
            "--id",
            id,
            "--interval",
            std::to_string(intervalMs),
            "--beacon-port",
            std::to_string(base + 9),
            "--detect-port",
            std::to_string(base + 13),
            "--disconnect-port",
            std::to_string(base + 12)};
}

// "backup" to the PC's backup port, with more options and the folders last.
inline std::vector<std::string> PhoneBackupArgs(int base, std::vector<std::string> more) {
    more.insert(more.begin(), {"backup", "--pc", "127.0.0.1:" + std::to_string(base + 6)});
    return more;
}

inline std::unique_ptr<ChildProcess> StartPairingPhone(const std::filesystem::path& phoneExe,
                                                       int base,
                                                       const std::filesystem::path& logs) {
    return std::make_unique<ChildProcess>(phoneExe, PhoneRunArgs(base, "e2e-pixel", 500), logs,
                                          "phone");
}

// A backup of one 3 MB photo from `phoneFolder` whose phone stalls after a
// few pieces: the PC waits for the next one for ten seconds, with the
// progress bar on the banner.
inline std::unique_ptr<ChildProcess> StartStalledBackup(const std::filesystem::path& phoneExe,
                                                        int base,
                                                        const std::filesystem::path& phoneFolder,
                                                        const std::filesystem::path& logs) {
    std::filesystem::create_directories(phoneFolder / "DCIM");
    WritePatternFile(phoneFolder / "DCIM" / "IMG_0001.jpg", 3'000'000);
    return std::make_unique<ChildProcess>(
        phoneExe, PhoneBackupArgs(base, {"--vanish-after", "3", phoneFolder.string()}), logs,
        "backup");
}

// The phone's files under `folder` (names may hold subfolders), each of its
// size and a pattern of its own. Gives those a backup carries: the phone
// leaves empty ones out.
inline std::vector<std::filesystem::path> MakePhoneFolder(
    const std::filesystem::path& folder,
    const std::vector<std::pair<std::filesystem::path, std::uintmax_t>>& files) {
    std::vector<std::filesystem::path> carried;
    unsigned seed = 0;
    for (const auto& [name, size] : files) {
        std::filesystem::create_directories((folder / name).parent_path());
        WritePatternFile(folder / name, size, ++seed);
        if (size > 0) carried.push_back(folder / name);
    }
    return carried;
}

// Every backed-up file has a source of the same name and the same bytes, and
// the phone's folder has its manifest.
inline void ExpectSameFiles(const std::filesystem::path& stored,
                            const std::vector<std::filesystem::path>& originals) {
    std::size_t found = 0, manifests = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(stored, ec)) {
        if (!entry.is_regular_file()) continue;
        if (entry.path().filename() == kManifestFileName) {
            ++manifests;
            continue;
        }
        const auto match = std::find_if(originals.begin(), originals.end(), [&](const auto& o) {
            return o.filename() == entry.path().filename();
        });
        ASSERT_NE(match, originals.end()) << entry.path();
        EXPECT_EQ(ReadFileBytes(entry.path()), ReadFileBytes(*match)) << entry.path();
        ++found;
    }
    EXPECT_EQ(found, originals.size()) << "in " << stored;
    EXPECT_EQ(manifests, 1u) << "in " << stored;
}

}  // namespace harbrook::test
