#include "update/update_checker.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "core/file_names.h"
#include "platform/folders.h"
#include "platform/http.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/utf8.h"
#include "update/date_records.h"
#include "update/minisign.h"
#include "update/pe_version.h"
#include "update/release_key.h"
#include "update/sha256.h"
#include "update/update_ini.h"

namespace harbrook {
namespace {

constexpr std::size_t kDateCapacity = 100;
constexpr std::size_t kMaxVersionText = 50;
constexpr int kDueAfterDays = 10;
constexpr std::chrono::seconds kInstallerConnectTimeout{30};

bool EqualHex(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsGoodInstaller(const CUpdateIni& server, const std::filesystem::path& installer) {
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(installer, ec);
    if (ec) return false;
    std::string size;
    if (server.GetString("PatchSize", "Size", size)) {
        // As text, character for character: "0123" is not 123.
        if (size != std::to_string(length)) return false;
    } else if (!ReadPeFileVersion(installer)) {
        return false;
    }
    std::string digest;
    if (!server.GetString("PatchSize", kInstallerHashKey, digest)) return true;
    const auto actual = Sha256OfFile(installer);
    return actual && EqualHex(*actual, digest);
}

// Fetches the signature from beside the installer's address and checks it.
// An unsigned or wrongly signed download is removed, signature and all, so
// that nothing unverified is left to be started by anyone.
bool IsSignedInstaller(const std::string& address, const std::filesystem::path& installer,
                       const platform::HttpOptions& http, std::string_view publicKey) {
    std::filesystem::path signature = installer;
    signature += kSignatureSuffix;
    std::string text;
    if (platform::DownloadToFile(address + std::string(kSignatureSuffix), signature,
                                 std::string(kUpdateAgent),
                                 http) == platform::HttpOutcome::Copied) {
        std::ifstream in(signature, std::ios::binary);
        text.resize(kMaxSignatureFileBytes + 1);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (VerifyMinisignFile(installer, text, publicKey) == SignatureCheck::Valid) return true;
    std::error_code ec;
    std::filesystem::remove(installer, ec);
    std::filesystem::remove(signature, ec);
    return false;
}

}  // namespace

int IsUpdateCheckDue(const std::filesystem::path& programFolder,
                     const std::filesystem::path& dataFolder, const Clock& clock) {
    std::error_code ec;
    const std::filesystem::path sibling = programFolder / kSiblingProgram;
    if (platform::NameExistsIn(programFolder, kSiblingProgram) &&
        !std::filesystem::is_directory(sibling, ec)) {
        return 0;
    }
    const std::filesystem::path schedule = dataFolder / kUpdateScheduleFile;
    const std::string stored =
        platform::ReadProfileString(schedule, kConfigSection, "date", "none", kDateCapacity);
    const DayCount count = DaysSinceStoredDate(stored, clock.Today());
    switch (count.kind) {
        case DayCount::Kind::Unreadable:
            return 1;
        case DayCount::Kind::Days:
            if (count.days <= kDueAfterDays) return 0;
            [[fallthrough]];
        case DayCount::Kind::LongAgo:
            platform::WriteProfileString(schedule, kConfigSection, "date", FormatDateText(clock));
            return 1;
    }
    return 0;
}

bool IsNewerVersion(std::string_view installed, std::string_view offered) {
    if (installed.empty() || offered.empty() || platform::Utf16Units(installed) > kMaxVersionText ||
        platform::Utf16Units(offered) > kMaxVersionText) {
        return false;
    }
    // Cuts the next component off the front of the text (the point with it).
    auto next = [](std::string_view& rest) {
        const std::size_t dot = rest.find('.');
        const std::string_view component = rest.substr(0, dot);
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
        return component;
    };
    std::string_view a = installed, b = offered;
    while (!a.empty()) {
        const long long mine = LeadingInteger(next(a));
        const long long theirs = LeadingInteger(b.empty() ? std::string_view() : next(b));
        if (theirs != mine) return theirs > mine;
    }
    return false;
}

bool MakeDownloadPath(std::string_view address, const std::filesystem::path& folder,
                      std::filesystem::path& path) {
    path.clear();
    if (address.empty() || folder.empty()) return false;
    const std::size_t slash = address.rfind('/');
    if (slash == std::string_view::npos || slash + 1 == address.size()) return false;
    const std::string_view name = address.substr(slash + 1);
    // A downloaded description names the installer's address: its name must
    // stay a plain name inside the folder on every system.
    if (name == "." || name == ".." || name.find_first_of("\\:") != std::string_view::npos ||
        IsWindowsDeviceName(name)) {
        return false;
    }
    path = folder / platform::PathFromUtf8(name);
    return true;
}

bool GetFolderOfFile(const std::filesystem::path& file, std::filesystem::path& folder) {
    folder.clear();
    if (!file.has_parent_path() || file.parent_path() == file) return false;
    folder = file.parent_path() / "";
    return true;
}

int CheckForNewVersion(const std::filesystem::path& localDescription,
                       const std::filesystem::path& dataFolder, std::filesystem::path& serverFile,
                       const std::function<bool()>& cancelled) {
    const CUpdateIni local(localDescription);
    std::vector<std::string> addresses;
    local.GetServerFiles(addresses);  // an empty list ends below
    platform::HttpOptions options;
    options.cancelled = cancelled;
    for (const std::string& address : addresses) {
        if (!MakeDownloadPath(address, dataFolder, serverFile)) continue;
        const platform::HttpOutcome outcome =
            platform::DownloadToFile(address, serverFile, std::string(kUpdateAgent), options);
        // A file that cannot be created leaves whatever lies there to be read.
        if (outcome == platform::HttpOutcome::NotOpened ||
            outcome == platform::HttpOutcome::Broken) {
            continue;
        }
        std::string installed, offered;
        local.GetCurrentVersion(installed);
        const bool found = CUpdateIni(serverFile).GetCurrentVersion(offered);
        if (IsNewerVersion(installed, offered)) return kNewVersionOffered;
        if (found) return kNothingNewer;
        // An error page or any other file without a version: next address.
    }
    serverFile.clear();
    return kNoDescription;
}

InstallerOutcome DownloadInstaller(const std::filesystem::path& serverFile,
                                   std::filesystem::path& installer, const UpdateOptions& options) {
    installer.clear();
    if (serverFile.empty()) return InstallerOutcome::NoneGood;
    const CUpdateIni server(serverFile);
    std::vector<std::string> links;
    server.GetPatchLinks(links);
    std::filesystem::path folder;
    if (!GetFolderOfFile(serverFile, folder)) return InstallerOutcome::NoneGood;
    platform::HttpOptions http;
    http.connectTimeout = kInstallerConnectTimeout;
    http.keepConnection = true;
    http.cancelled = options.cancelled;
    const std::string_view key = options.publicKey.empty() ? kReleasePublicKey : options.publicKey;
    bool refused = false;
    for (const std::string& address : links) {
        if (!MakeDownloadPath(address, folder, installer)) continue;
        if (platform::DownloadToFile(address, installer, std::string(kUpdateAgent), http) !=
                platform::HttpOutcome::Copied ||
            !IsGoodInstaller(server, installer)) {
            continue;
        }
        if (IsSignedInstaller(address, installer, http, key)) return InstallerOutcome::Good;
        refused = true;  // another address may still have it signed
    }
    installer.clear();
    return refused ? InstallerOutcome::Unsigned : InstallerOutcome::NoneGood;
}

UpdateRun DownloadAndRunUpdate(const std::filesystem::path& serverFile,
                               const UpdateOptions& options) {
    std::filesystem::path installer;
    switch (DownloadInstaller(serverFile, installer, options)) {
        case InstallerOutcome::Good:
            break;
        case InstallerOutcome::Unsigned:
            return UpdateRun::Unsigned;
        case InstallerOutcome::NoneGood:
            return UpdateRun::Failed;
    }
    std::string parameters;
    CUpdateIni(serverFile).GetString("PatchCommand", "Command", parameters);
    return platform::ShellOpen(installer, parameters) ? UpdateRun::Started : UpdateRun::Failed;
}

}  // namespace harbrook
