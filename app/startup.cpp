#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/backup_verify.h"
#include "app/history_table.h"
#include "app/instance_request.h"
#include "backup/storage_layout.h"
#include "core/app_folders.h"
#include "core/settings_store.h"
#include "link/endpoints.h"
#include "locale/language_selector.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/autostart.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/net.h"
#include "platform/single_instance.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr std::size_t kCapacity = 512;

std::string Text(unsigned id, const std::vector<std::string>& arguments = {}) {
    return FormatUiText(LoadUiString(id, kCapacity), arguments);
}

// --verify: the progress on the terminal (stderr, so that the list on
// stdout can be kept), then what differs and a summary per phone.
int RunVerify(const Options& options, const std::filesystem::path& historyFile) {
    VerifyRequest request;
    request.backupFolder =
        options.backupRoot
            ? *options.backupRoot / platform::PathFromUtf8(LoadUiString(kBackupFolderStringId, 100))
            : StoredBackupFolder();
    request.phone = options.verifyPhone;
    request.record = options.record;
    const bool terminal = platform::IsTerminal(stderr);
    const auto start = std::chrono::steady_clock::now();
    auto last = start - std::chrono::seconds(1);
    bool shown = false;
    const auto progress = [&](const CheckProgress& p) {
        const auto now = std::chrono::steady_clock::now();
        if (!terminal || now - last < std::chrono::milliseconds(250)) return true;
        last = now;
        shown = true;
        const double seconds = std::chrono::duration<double>(now - start).count();
        std::fprintf(stderr, "\r\x1b[K%s", FormatCheckProgress(p, seconds).c_str());
        std::fflush(stderr);
        return true;
    };
    const VerifySummary summary = VerifyBackups(request, historyFile, SystemClock(), progress);
    if (shown) std::fputs("\r\x1b[K", stderr);
    for (const auto& line : summary.details) std::printf("%s\n", line.c_str());
    for (const auto& line : summary.totals) std::printf("%s\n", line.c_str());
    return summary.intact ? 0 : kExitFailure;
}

int Fail(int status, const std::string& message) {
    platform::ReportStartupFailure(message);
    return status;
}

// A later start: hand the request over and end. A plain start ends silently
// whatever becomes of its request; a send or a disconnect that does not
// arrive is reported, since the user waits for it.
int HandOver(const std::filesystem::path& dataFolder, const Options& options) {
    InstanceRequest request;
    if (options.send) {
        request.kind = InstanceRequest::Kind::Send;
        request.files = options.sendFiles;
    } else if (options.disconnect) {
        request.kind = InstanceRequest::Kind::Disconnect;
    }
    std::string why;
    const auto result =
        platform::DeliverToRunningInstance(dataFolder, EncodeRequest(request), &why);
    if (result == platform::DeliveryResult::Delivered) return 0;
    if (request.kind == InstanceRequest::Kind::Show) return 0;
    return Fail(kExitFailure, Text(kStrCannotReachRunning, {why}));
}

}  // namespace

std::string BackupRootProblem(const std::filesystem::path& root) {
    std::error_code ec;
    const auto status = std::filesystem::status(root, ec);
    const std::vector<std::string> shown{PathToUtf8(root)};
    if (!std::filesystem::exists(status)) return Text(kStrRootMissing, shown);
    if (!std::filesystem::is_directory(status)) return Text(kStrRootNotAFolder, shown);
    // Permission bits do not tell the whole story (read-only mounts, ACLs):
    // try to write.
    const auto probe =
        root / (".harbrook-write-test-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out || !(out << 'x') || !out.flush()) {
            out.close();
            std::filesystem::remove(probe, ec);
            return Text(kStrRootNotWritable, shown);
        }
    }
    std::filesystem::remove(probe, ec);
    return {};
}

int RunHarbrook(int argc, const char* const* argv, const HostFactory& makeHost) {
    const ParsedOptions parsed = ParseOptions(argc, argv);
    const Options& options = parsed.options;
    // Texts from here on are in the chosen language, a refused command line
    // included (with --language when it came before the fault); the library
    // stays loaded until the end of this run.
    CLanguageSelector languages;
    if (options.language) languages.SetOneRunLanguage(*options.language);
    g_hLangModule = languages.SelectLanguageModule(&OwnStringTable());
    struct OwnTableAgain {
        ~OwnTableAgain() { g_hLangModule = &OwnStringTable(); }
    } ownTableAgain;
    if (parsed.errorText != 0) return Fail(kExitUsage, parsed.Error());
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("harbrook %s\n%s\n", HARBROOK_VERSION,
                    Text(kStrProgramFiles, {PathToUtf8(platform::ProgramFilesFolder())}).c_str());
        return 0;
    }
    if (options.autostart) {
        std::string why;
        if (!platform::SetStartAtLogin(*options.autostart, platform::ProgramToStart(), &why)) {
            return Fail(kExitFailure, "--autostart: " + why);
        }
        std::printf("%s\n", Text(*options.autostart ? kStrStartsAtLogin : kStrNoLongerStartsAtLogin,
                                 {platform::StartAtLoginPlace()})
                                .c_str());
        return 0;
    }
    for (const auto& file : options.sendFiles) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) {
            return Fail(kExitUsage, Text(kStrSendNotAFile, {PathToUtf8(file)}));
        }
    }
    if (options.backupRoot) {
        const std::string problem = BackupRootProblem(*options.backupRoot);
        if (!problem.empty()) {
            return Fail(kExitUsage, problem);
        }
    }

    // Without a data folder Harbrook still runs, without what lives there: the
    // backup history, the single-instance channel and the QR bitmap file.
    std::filesystem::path dataFolder;
    const bool haveDataFolder = GetAppDataFolder(dataFolder);
    const auto historyFile =
        haveDataFolder ? dataFolder / kHistoryFileName : std::filesystem::path();
    if (options.history) {
        std::size_t skipped = 0;
        const auto records = ReadBackupHistory(historyFile, &skipped);
        std::fputs((FormatHistoryTable(records) + SkippedLinesNote(skipped)).c_str(), stdout);
        return 0;
    }
    if (options.verify) return RunVerify(options, historyFile);
    if (options.backupRoot && !CSettingsStore().WriteRootDirectory(*options.backupRoot, true)) {
        return Fail(kExitUsage, Text(kStrRootNotStored, {PathToUtf8(*options.backupRoot)}));
    }
    if (!options.address.empty()) SetLocalAddressOverride(options.address);

    platform::SingleInstance instance;
    const auto claim =
        haveDataFolder ? instance.TryClaim(dataFolder) : platform::SingleInstance::Claim::Failed;
    switch (claim) {
        case platform::SingleInstance::Claim::AlreadyRunning:
            return HandOver(dataFolder, options);
        case platform::SingleInstance::Claim::Failed:
            // Without a data folder there is no lock to take: Harbrook runs
            // without one (it has said why). A lock in a data folder that
            // cannot be taken is another matter: two instances would share
            // the settings and fight over the phone; better none than a
            // second one.
            if (!haveDataFolder) break;
            return Fail(kExitFailure, Text(kStrLockNotTaken, {PathToUtf8(dataFolder)}));
        case platform::SingleInstance::Claim::First:
            break;
    }
    if (options.send) {
        return Fail(kExitFailure, Text(kStrSendWithoutRunning));
    }
    if (options.disconnect) {
        return Fail(kExitFailure, Text(kStrDisconnectWithoutRunning));
    }
    if (!platform::InitSockets()) {
        const auto text = OwnStringTable().Find(kStrSocketsFailed);
        return Fail(kExitFailure, text.value_or("sockets"));
    }

    std::unique_ptr<FrontEndHost> host = makeHost(options);
    AppSettings settings;
    if (options.portsBase) settings.ports = PortPlanFromBase(*options.portsBase);
    if (options.quickTiming) {
        settings.timing = QuickTiming();
        settings.updateDelay = kQuickUpdateDelay;
    }
    settings.pairingAlways = options.pairingAlways;
    settings.historyFile = historyFile;
    settings.dataFolder = dataFolder;
    {
        Application app(host->Ui(), settings);
        if (!haveDataFolder) host->Ui().ShowMessage(Text(kStrNoDataFolder));
        app.Start();
        // Only now can a later start be served: before this the requests
        // wait on the channel.
        instance.Listen([&app](const std::string& request) { app.HandleRequest(request); });
        host->Run(app);
        instance.StopListening();
        // The front end first: a worker that waits for an answer is let go
        // (Cancel) before the stop waits for the workers.
        host->Ui().Close();
        app.Stop();
    }
    return 0;
}

}  // namespace harbrook
