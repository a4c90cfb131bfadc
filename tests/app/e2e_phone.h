// The phone stand-in as both window end-to-end tests drive it, against a PC
// whose ports run from `base` (pairing code "127.0.0.1:<base>").
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/app/child_process.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {

// A phone that pairs through the code and then keeps the PC's heartbeat.
inline std::unique_ptr<ChildProcess> StartPairingPhone(const std::filesystem::path& phoneExe,
                                                       int base,
                                                       const std::filesystem::path& logs) {
    return std::make_unique<ChildProcess>(
        phoneExe,
        std::vector<std::string>{"run", "127.0.0.1:" + std::to_string(base), "--address",
                                 "127.0.0.1", "--name", "Test Pixel", "--id", "e2e-pixel",
                                 "--interval", "500", "--beacon-port", std::to_string(base + 9),
                                 "--detect-port", std::to_string(base + 13), "--disconnect-port",
                                 std::to_string(base + 12)},
        logs, "phone");
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
        phoneExe,
        std::vector<std::string>{"backup", "--pc", "127.0.0.1:" + std::to_string(base + 6),
                                 "--vanish-after", "3", phoneFolder.string()},
        logs, "backup");
}

}  // namespace harbrook::test
