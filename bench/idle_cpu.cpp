// Idle cost of the phone detection. With no phone on the network the scan
// holds 254 pending connects; the library retries each every 100 ms unless
// told otherwise. This runs the detection thread for N seconds with the
// library's reconnect defaults and N seconds with our back-off, reports the
// process CPU time of each (getrusage), and then how soon each finds a phone
// that starts its beacon late.
//
//   bench_idle_cpu [--seconds N] [--beacon-port P]
//
// Everything stays on loopback: the scan covers 127.0.0.1-254.
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

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

struct Result {
    double cpuSeconds = 0;
    double findSeconds = -1;  // -1: the late phone was not found
};

Result Measure(const Timing& timing, int beaconPort, int detectPort, double seconds,
               const std::string& phoneHost) {
    QuietFrontend frontend;
    NoFolders folders;
    PortPlan plan;
    plan.beacon = beaconPort;
    LinkContext link(frontend, folders, plan, timing);
    std::jthread detection([&] { PhoneDetectionThread(link); });

    // Let the scan settle into its retry rhythm, then measure.
    link.stop.SleepFor(std::chrono::seconds(2));
    const double before = CpuSeconds();
    link.stop.SleepFor(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
    Result result;
    result.cpuSeconds = CpuSeconds() - before;

    phone::PhoneProfile phone;
    phone.address = phoneHost;
    phone.beaconPort = beaconPort;
    phone.detectPort = detectPort;
    phone::BeaconService beacon(phone, std::chrono::milliseconds(200));
    if (beacon.Start()) {
        const auto started = Clock::now();
        while (!link.state.IsConnected() && Clock::now() - started < std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (link.state.IsConnected())
            result.findSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    }
    beacon.Stop();
    link.stop.RequestStop();
    return result;
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
    double seconds = 60;
    int beaconPort = 29639;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else if (option == "--beacon-port")
            beaconPort = std::atoi(argv[i + 1]);
    }
    if (seconds <= 0 || beaconPort <= 0 || beaconPort > 65534) {
        std::fprintf(stderr, "usage: bench_idle_cpu [--seconds N] [--beacon-port P]\n");
        return 2;
    }
    // Only loopback: the /24 of 127.0.0.1.
    SetLocalAddressOverride("127.0.0.1");
    const ScratchSettings scratch;

    Timing libraryDefaults;  // 100 ms between retries, no back-off
    libraryDefaults.scanReconnect = std::chrono::milliseconds(100);
    libraryDefaults.scanReconnectMax = std::chrono::milliseconds(0);
    const Timing ours;

    std::printf("idle detection scan of 127.0.0.1-254 for %.0f s each\n", seconds);
    const Result before =
        Measure(libraryDefaults, beaconPort, beaconPort + 1, seconds, "127.0.0.61");
    std::printf(
        "  library defaults (100 ms retries): CPU %.2f s = %.2f%% of one core; late phone found in "
        "%.2f s\n",
        before.cpuSeconds, 100 * before.cpuSeconds / seconds, before.findSeconds);
    const Result after = Measure(ours, beaconPort, beaconPort + 1, seconds, "127.0.0.62");
    std::printf(
        "  back-off %lld..%lld ms:              CPU %.2f s = %.2f%% of one core; late phone found "
        "in %.2f s\n",
        static_cast<long long>(ours.scanReconnect.count()),
        static_cast<long long>(ours.scanReconnectMax.count()), after.cpuSeconds,
        100 * after.cpuSeconds / seconds, after.findSeconds);
    if (after.cpuSeconds > 0)
        std::printf("  idle CPU ratio before/after: %.1fx\n", before.cpuSeconds / after.cpuSeconds);
    return 0;
}
