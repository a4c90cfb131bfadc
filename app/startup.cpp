#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
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
#include "locale/system_error.h"
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
    platform::ReportStartupFailure(message, ProgramLinePrefix());
    return status;
}

// How long a start made for the file manager's send gives the paired
// phone to find it before it says that no phone is connected.
constexpr std::chrono::seconds kPhoneComesBack{20};
constexpr std::chrono::seconds kQuickPhoneComesBack{3};

InstanceRequest RequestOf(const Options& options) {
    InstanceRequest request;
    if (options.send) {
        request.kind = InstanceRequest::Kind::Send;
        request.files = options.sendFiles;
        request.answer = options.notify   ? InstanceRequest::Answer::Notify
                         : options.noWait ? InstanceRequest::Answer::Box
                                          : InstanceRequest::Answer::Wait;
    } else if (options.disconnect) {
        request.kind = InstanceRequest::Kind::Disconnect;
    }
    return request;
}

// What a waiting --send prints, in this start's language: the outcome's
// message on stdout when every file went, on stderr with status 1 otherwise.
int PrintSendOutcome(const std::string& answer) {
    const auto outcome = SendOutcomeFromWord(answer);
    unsigned text = kStrSendOutcomeUnknown;
    if (outcome == SendOutcome::NoAnswer)
        text = kStrPhoneDidNotAnswer;  // the window says "disconnected"; here we can say more
    else if (outcome && SendOutcomeMessage(*outcome))
        text = SendOutcomeMessage(*outcome);
    std::string message = LoadUiString(text, 1024);
    std::erase(message, '\r');
    if (outcome == SendOutcome::Sent) {
        std::printf("%s\n", message.c_str());
        return 0;
    }
    return Fail(kExitFailure, message);
}

// A later start: hand the request over and end. A plain start ends silently
// whatever becomes of its request; a send or a disconnect that does not
// arrive is reported, since the user waits for it, and a send waits for its
// outcome unless told not to.
int HandOver(const std::filesystem::path& dataFolder, const Options& options) {
    const InstanceRequest request = RequestOf(options);
    const bool wait = request.kind == InstanceRequest::Kind::Send &&
                      request.answer == InstanceRequest::Answer::Wait;
    platform::DeliveryFailure why;
    std::string answer;
    const auto result = platform::DeliverToRunningInstance(dataFolder, EncodeRequest(request), &why,
                                                           wait ? &answer : nullptr);
    if (result == platform::DeliveryResult::Delivered) return wait ? PrintSendOutcome(answer) : 0;
    if (request.kind == InstanceRequest::Kind::Show) return 0;
    return Fail(kExitFailure, Text(kStrCannotReachRunning, {DescribeDeliveryFailure(why)}));
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

namespace {

// The commands that only print or change something and end (--help,
// --version, --autostart), and the refusal of arguments that cannot work.
// Empty when the start goes on.
std::optional<int> RunCommandOnly(const Options& options) {
    if (options.help) {
        std::fputs(
            UsageText(platform::TerminalColumns(stdout).value_or(kHelpColumnsOffTerminal)).c_str(),
            stdout);
        return 0;
    }
    if (options.version) {
        std::printf("harbrook %s\n%s\n", HARBROOK_VERSION,
                    Text(kStrProgramFiles, {PathToUtf8(platform::ProgramFilesFolder())}).c_str());
        return 0;
    }
    if (options.autostart) {
        platform::StartAtLoginFailure why;
        if (!platform::SetStartAtLogin(*options.autostart, platform::ProgramToStart(), &why)) {
            return Fail(kExitFailure, "--autostart: " + DescribeStartAtLoginFailure(
                                                            why, platform::StartAtLoginPlace()));
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
        if (!problem.empty()) return Fail(kExitUsage, problem);
    }
    return std::nullopt;
}

// Takes the single-instance lock. Empty when this start is the one that
// runs; otherwise how it ends: the request handed to the running one, or
// refused.
std::optional<int> ClaimTheOnlyInstance(platform::SingleInstance& instance, const Options& options,
                                        const std::filesystem::path& dataFolder) {
    const bool haveDataFolder = !dataFolder.empty();
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
    // The file manager's send starts Harbrook for it; a send typed in a
    // terminal is for a running one.
    if (options.send && !options.notify) return Fail(kExitFailure, Text(kStrSendWithoutRunning));
    if (options.disconnect) return Fail(kExitFailure, Text(kStrDisconnectWithoutRunning));
    return std::nullopt;
}

// The application's run, from the sockets layer to an orderly end: the
// front end closes before the application stops, so that no worker the stop
// waits for is left waiting for a person.
int RunApplication(platform::SingleInstance& instance, const Options& options,
                   const HostFactory& makeHost, const std::filesystem::path& dataFolder,
                   const std::filesystem::path& historyFile) {
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

    Application app(host->Ui(), settings);
    if (dataFolder.empty()) host->Ui().ShowMessage(Text(kStrNoDataFolder));
    app.Start();
    // Only now can a later start be served: before this the requests wait
    // on the channel.
    instance.Listen([&app](const std::string& request, platform::SingleInstance::Reply reply) {
        app.HandleRequest(request, [reply](std::string_view answer) { reply.Answer(answer); });
    });
    // Started for the file manager's send: in the tray, as at login, and the
    // files go once the phone is back.
    if (options.send) {
        app.SendFromFileManager(options.sendFiles,
                                options.quickTiming ? kQuickPhoneComesBack : kPhoneComesBack);
    }
    host->Run(app);
    instance.StopListening();
    host->Ui().Close();
    app.Stop();
    return 0;
}

}  // namespace

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
    if (const auto status = RunCommandOnly(options)) return *status;

    // Without a data folder Harbrook still runs, without what lives there: the
    // backup history, the single-instance channel and the QR bitmap file.
    std::filesystem::path dataFolder;
    if (!GetAppDataFolder(dataFolder)) dataFolder.clear();
    const auto historyFile =
        dataFolder.empty() ? std::filesystem::path() : dataFolder / kHistoryFileName;
    if (options.history) {
        std::size_t skipped = 0;
        const auto records = ReadBackupHistory(historyFile, &skipped);
        std::fputs((FormatHistoryTable(records) + SkippedLinesNote(skipped)).c_str(), stdout);
        return 0;
    }
    if (options.verify) {
        // Lines are added only while no Harbrook runs: a backup appends to the
        // same manifests and keeps where their lines start. The claim of the
        // running instance, held while recording, keeps one from starting
        // meanwhile.
        platform::SingleInstance instance;
        if (options.record && !dataFolder.empty() &&
            instance.TryClaim(dataFolder) == platform::SingleInstance::Claim::AlreadyRunning)
            return Fail(kExitFailure, Text(kStrRecordWhileRunning));
        return RunVerify(options, historyFile);
    }
    if (options.backupRoot && !CSettingsStore().WriteRootDirectory(*options.backupRoot, true)) {
        return Fail(kExitUsage, Text(kStrRootNotStored, {PathToUtf8(*options.backupRoot)}));
    }
    if (!options.address.empty()) SetLocalAddressOverride(options.address);

    platform::SingleInstance instance;
    if (const auto status = ClaimTheOnlyInstance(instance, options, dataFolder)) return *status;
    return RunApplication(instance, options, makeHost, dataFolder, historyFile);
}

}  // namespace harbrook
