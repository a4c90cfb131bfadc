#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "app/history_table.h"
#include "app/instance_request.h"
#include "core/app_folders.h"
#include "core/settings_store.h"
#include "link/endpoints.h"
#include "locale/ui_strings.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "platform/net.h"
#include "platform/single_instance.h"

namespace harbrook {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr unsigned kSocketsFailedText = 103;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "harbrook: %s\n", message.c_str());
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
    return Fail(kExitFailure, "Harbrook is already running but cannot be reached: " + why);
}

}  // namespace

std::string BackupRootProblem(const std::filesystem::path& root) {
    std::error_code ec;
    const auto status = std::filesystem::status(root, ec);
    if (!std::filesystem::exists(status)) return "does not exist";
    if (!std::filesystem::is_directory(status)) return "is not a folder";
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
            return "is not writable";
        }
    }
    std::filesystem::remove(probe, ec);
    return {};
}

int RunHarbrook(int argc, const char* const* argv, const HostFactory& makeHost) {
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.error.empty()) return Fail(kExitUsage, parsed.error);
    const Options& options = parsed.options;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("harbrook %s\nprogram files: %s\n", HARBROOK_VERSION,
                    PathToUtf8(platform::ProgramFilesFolder()).c_str());
        return 0;
    }
    if (options.autostart) {
        std::string why;
        if (!platform::SetStartAtLogin(*options.autostart, platform::ExecutablePath(), &why)) {
            return Fail(kExitFailure, "--autostart: " + why);
        }
        std::printf("Harbrook %s at login (%s).\n",
                    *options.autostart ? "starts" : "no longer starts",
                    platform::StartAtLoginPlace().c_str());
        return 0;
    }
    for (const auto& file : options.sendFiles) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) {
            return Fail(kExitUsage, "--send: not a file: " + PathToUtf8(file));
        }
    }
    if (options.backupRoot) {
        const std::string problem = BackupRootProblem(*options.backupRoot);
        if (!problem.empty()) {
            return Fail(kExitUsage,
                        "--backup-root " + PathToUtf8(*options.backupRoot) + ": " + problem);
        }
    }

    std::filesystem::path dataFolder;
    if (!GetAppDataFolder(dataFolder)) {
        return Fail(kExitFailure, "cannot create the data folder (is HOME set?)");
    }
    const auto historyFile = dataFolder / kHistoryFileName;
    if (options.history) {
        std::fputs(FormatHistoryTable(ReadBackupHistory(historyFile)).c_str(), stdout);
        return 0;
    }
    if (options.backupRoot && !CSettingsStore().WriteRootDirectory(*options.backupRoot)) {
        return Fail(kExitUsage, "--backup-root " + PathToUtf8(*options.backupRoot) +
                                    ": cannot be stored (too long?)");
    }
    if (!options.address.empty()) SetLocalAddressOverride(options.address);

    platform::SingleInstance instance;
    switch (instance.TryClaim(dataFolder)) {
        case platform::SingleInstance::Claim::AlreadyRunning:
            return HandOver(dataFolder, options);
        case platform::SingleInstance::Claim::Failed:
            std::fprintf(stderr, "harbrook: cannot tell whether Harbrook already runs; going on\n");
            break;
        case platform::SingleInstance::Claim::First:
            break;
    }
    if (options.send) {
        return Fail(kExitFailure, "--send hands files to a running Harbrook, and none runs");
    }
    if (options.disconnect) {
        return Fail(kExitFailure, "--disconnect is for a running Harbrook, and none runs");
    }
    if (!platform::InitSockets()) {
        const auto text = OwnStringTable().Find(kSocketsFailedText);
        return Fail(kExitFailure, text.value_or("sockets"));
    }

    std::unique_ptr<FrontEndHost> host = makeHost(options);
    AppSettings settings;
    if (options.portsBase) settings.ports = PortPlanFromBase(*options.portsBase);
    if (options.quickTiming) settings.timing = QuickTiming();
    settings.historyFile = historyFile;
    {
        Application app(host->Ui(), settings);
        app.Start();
        // Only now can a later start be served: before this the requests
        // wait on the channel.
        instance.Listen([&app](const std::string& request) { app.HandleRequest(request); });
        host->Run(app);
        instance.StopListening();
        app.Stop();
    }
    return 0;
}

}  // namespace harbrook
