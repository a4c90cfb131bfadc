// Idle cost of the phone detection. With no phone on the network the scan
// holds 254 pending connects; the library retries each every 100 ms unless
// told otherwise. This runs the detection thread with the shipped back-off,
// lets the retries settle, reports the process CPU time (getrusage) over N
// seconds, then how soon a paired phone not seen before is found, and how soon the phone that
// was connected last is found again when it comes back.
//
//   bench_idle_cpu [--seconds N] [--settle S] [--beacon-port P]
//
// Everything stays on loopback: the scan covers 127.0.0.1-254.
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "core/settings_store.h"
#include "link/endpoints.h"
#include "link/link_context.h"
#include "link/link_threads.h"
#include "tools/phone/phone_services.h"

namespace {

using namespace harbrook;
using Clock = std::chrono::steady_clock;

class QuietFrontend final : public Frontend {
  public:
    void OnConnectionStateChanged(bool, const std::string&) override {}
    void SetBannerStatus(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    bool AskOkCancel(const std::string&) override { return false; }
    void SetSendButton(const std::string&, bool) override {}
    bool ShowQrCode(const std::filesystem::path&, const std::string&) override { return true; }
};

class NoFolders final : public BackupFolderPreparer {
  public:
    bool PrepareBackupFolders(std::int64_t) override { return true; }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// How long the detection takes to connect the phone that starts its beacon
// now; -1 when it is not found within `limit`.
double TimeToFind(LinkContext& link, const phone::PhoneProfile& phone,
                  std::unique_ptr<phone::BeaconService>& beacon, std::chrono::seconds limit) {
    beacon = std::make_unique<phone::BeaconService>(phone, std::chrono::milliseconds(200));
    if (!beacon->Start()) return -1;
    const auto started = Clock::now();
    while (!link.state.IsConnected() && Clock::now() - started < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!link.state.IsConnected()) return -1;
    return std::chrono::duration<double>(Clock::now() - started).count();
}

// Keeps the PC identity and the date record of this run out of the user's
// files; removed at the end.
struct ScratchSettings {
    ScratchSettings() {
        std::string dir =
            (std::filesystem::temp_directory_path() / "harbrook-bench-XXXXXX").string();
        if (!mkdtemp(dir.data())) return;
        folder = dir;
        setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    }
    ~ScratchSettings() {
        std::error_code ec;
        if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }
    std::filesystem::path folder;
};

}  // namespace

int main(int argc, char** argv) {
    double seconds = 30, settle = 60;
    int beaconPort = 29639;
    // Options come in pairs; anything else (--help among it) gets the usage.
    if (argc % 2 == 0) seconds = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else if (option == "--settle")
            settle = std::atof(argv[i + 1]);
        else if (option == "--beacon-port")
            beaconPort = std::atoi(argv[i + 1]);
        else
            seconds = -1;
    }
    if (seconds <= 0 || settle < 0 || beaconPort <= 0 || beaconPort > 65534) {
        std::fprintf(stderr,
                     "usage: bench_idle_cpu [--seconds N (30)] [--settle S (60)] "
                     "[--beacon-port P]\n");
        return 2;
    }
    // Only loopback: the /24 of 127.0.0.1.
    SetLocalAddressOverride("127.0.0.1");
    const ScratchSettings scratch;

    QuietFrontend frontend;
    NoFolders folders;
    PortPlan plan;
    plan.beacon = beaconPort;
    const Timing timing;  // as shipped
    LinkContext link(frontend, folders, plan, timing);
    // A phone was here before and went away.
    link.state.SetConnectionState(true, "Known", "known", "127.0.0.61");
    link.state.SetConnectionState(false, "", "", "");
    std::jthread detection([&] { PhoneDetectionThread(link); });

    std::printf(
        "idle detection scan of 127.0.0.1-254 (the last phone on .61), retries %lld ms doubling "
        "to %lld ms, %lld ms for the last phone's address\n",
        static_cast<long long>(timing.scanReconnect.count()),
        static_cast<long long>(timing.scanReconnectMax.count()),
        static_cast<long long>(timing.scanReconnectLastPhone.count()));
    // The retries back off over the first minute; the idle figure is the one
    // after that.
    link.stop.SleepFor(std::chrono::milliseconds(static_cast<long>(settle * 1000)));
    const double before = CpuSeconds();
    link.stop.SleepFor(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
    const double cpu = CpuSeconds() - before;
    std::printf("  idle after %.0f s, measured over %.0f s: CPU %.3f s = %.3f%% of one core\n",
                settle, seconds, cpu, 100 * cpu / seconds);

    phone::PhoneProfile other;
    other.address = "127.0.0.62";
    other.beaconPort = beaconPort;
    other.detectPort = beaconPort + 1;
    // Detection connects only to paired phones: this one paired from .62
    // before, and has not been seen in this run.
    CSettingsStore settings;
    settings.SavePhoneValue(other.id, CSettingsStore::kPhoneIdValue, other.id);
    settings.SavePhoneValue(other.id, CSettingsStore::kPhoneAddressValue, other.address);
    std::unique_ptr<phone::BeaconService> beacon;
    std::printf("  a paired phone on .62 not seen before (beacon every 200 ms) found in %.2f s\n",
                TimeToFind(link, other, beacon, std::chrono::seconds(60)));
    beacon.reset();
    link.state.SetConnectionState(false, "", "", "");
    // Long enough for every other host to back off past several seconds.
    link.stop.SleepFor(std::chrono::seconds(10));
    std::printf("  the same phone, back 10 s after it left, found in %.2f s\n",
                TimeToFind(link, other, beacon, std::chrono::seconds(60)));
    beacon.reset();
    link.stop.RequestStop();
    return 0;
}
