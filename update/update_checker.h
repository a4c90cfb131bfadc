// The update checker: whether a check is due, the check against the server's
// description file, and the download and start of a newer installer. All of
// it fails silently; the one question to the user is the caller's.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/clock.h"

namespace harbrook {

inline constexpr std::string_view kInstalledDescriptionFile = "harbrook.ini";
inline constexpr std::string_view kUpdateScheduleFile = "update_config.ini";
// While this sibling program lies in our folder, it looks after updates.
inline constexpr std::string_view kSiblingProgram = "Portwarden.exe";
// Beside "Size" in section "PatchSize": the installer's SHA-256 as 64 hex
// digits. When present, a download is good only if it matches as well.
inline constexpr std::string_view kInstallerHashKey = "Sha256";
// The name we give the server.
inline constexpr std::string_view kUpdateAgent = "Harbrook";
// An installer's signature lies beside it: its address plus this suffix
// (minisign's detached signature file, update/minisign.h).
inline constexpr std::string_view kSignatureSuffix = ".minisig";

struct UpdateOptions {
    // Polled during downloads: true abandons them.
    std::function<bool()> cancelled{};
    // The key an installer's signature must verify with, as a minisign public
    // key line. Empty: the release key built into the program. Only tests set
    // it, to sign with a key of their own; nothing a user sets reaches it.
    std::string publicKey{};
};

// 1 when a check is due now (today's date then becomes the schedule's date,
// unless the stored one is unreadable), else 0. Never due while the sibling
// program lies in the program folder. A missing date reads as day 0 of this
// month, so a first check waits for the 11th of a month.
int IsUpdateCheckDue(const std::filesystem::path& programFolder,
                     const std::filesystem::path& dataFolder, const Clock& clock = SystemClock());

// Results of CheckForNewVersion.
inline constexpr int kNewVersionOffered = 1;  // serverFile names the downloaded description
inline constexpr int kNothingNewer = 0;
inline constexpr int kNoDescription = 2;

// Tries the installed description's "ServerFile" addresses in order; each is
// downloaded into the data folder under its last path segment. The first file
// with a "CurrentVersion" settles it.
// `cancelled` (here and below) is polled during downloads: true abandons them.
int CheckForNewVersion(const std::filesystem::path& localDescription,
                       const std::filesystem::path& dataFolder, std::filesystem::path& serverFile,
                       const std::function<bool()>& cancelled = {});

// Compares dotted versions component by component, as many as the installed
// one has; each component reads as its leading decimal number.
bool IsNewerVersion(std::string_view installed, std::string_view offered);

// The folder plus the address's last path segment. False for an address or
// folder that is empty, an address without a segment after its last "/", and
// a segment that would leave the folder ("..", or one holding a backslash or
// a colon) or name a device on Windows ("CON", "nul.txt").
bool MakeDownloadPath(std::string_view address, const std::filesystem::path& folder,
                      std::filesystem::path& path);

// The folder of a file path, with its trailing separator; false without one.
bool GetFolderOfFile(const std::filesystem::path& file, std::filesystem::path& folder);

enum class InstallerOutcome {
    Good,      // `installer` names a good, signed download
    NoneGood,  // no address gave a file of the described size (or version resource)
    Unsigned,  // at least one did, but none carried a valid signature
};

// Downloads the installer from the description's "Download" addresses, in
// order, into the description's folder, until one is good: its length equals
// "Size" exactly as text or, without a size, it carries a version resource;
// it matches the SHA-256 when one is given; and the signature file at its
// address + ".minisig" signs it with the release key (trusted comment
// included). A download whose signature fails is deleted with its signature.
InstallerOutcome DownloadInstaller(const std::filesystem::path& serverFile,
                                   std::filesystem::path& installer,
                                   const UpdateOptions& options = {});

enum class UpdateRun {
    Started,
    Failed,    // nothing good to download, or the installer would not start
    Unsigned,  // refused for its signature: the user must be told
};

// DownloadInstaller, then the installer is started with "Command" as its
// parameters. Nothing is started without a valid signature.
UpdateRun DownloadAndRunUpdate(const std::filesystem::path& serverFile,
                               const UpdateOptions& options = {});

}  // namespace harbrook
