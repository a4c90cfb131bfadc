// Backup throughput of the PC side, measured in one run against the wire
// limit of the same conversation (no disk) and against `cp` of the same files
// on the same disk; files per second for small files; peak memory of the PC
// side. The phone is harbrook-phone in its own process.
//   backup_bench [--scale F] [--dir FOLDER] [--repeat N] [--sets one-large,medium,small]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "backup/backup_receiver.h"
#include "bench/bench_common.h"
#include "bench/wire_loop.h"
#include "core/settings_store.h"
#include "link/frames.h"

using namespace harbrook;
using namespace harbrook::bench;
namespace fs = std::filesystem;

namespace {

struct Result {
    double seconds = 0;
    long peakGrowthKiB = 0;
};

// The wire limit: our bare ROUTER here, the bare phone loop in a child.
double TimeWire(const DataSet& set, const std::string& self) {
    zmq::context_t context;
    zmq::socket_t router(context, zmq::socket_type::router);
    const int port = FreeLoopbackPort();
    BindPort(router, port);
    const auto start = std::chrono::steady_clock::now();
    std::thread phone([&] {
        RunProgram({self, "--wire-phone", "127.0.0.1:" + std::to_string(port),
                    std::to_string(set.count), std::to_string(set.size)});
    });
    WireBackupPc(router);
    phone.join();
    return SecondsSince(start);
}

// The PC core of the benchmark: front end, link context and storage layout.
struct BenchCore {
    explicit BenchCore(PortPlan plan) : link(frontend, storage, plan), storage(link.state) {}
    QuietFrontend frontend;
    LinkContext link;
    StorageLayout storage;
};

// The real receiver thread here, harbrook-phone backing the folder up.
Result TimeHarbrook(const fs::path& phoneDir, const fs::path& root, const std::string& phoneTool) {
    PortPlan plan;
    plan.backup = {FreeLoopbackPort(), FreeLoopbackPort(), FreeLoopbackPort()};
    BenchCore core(plan);
    LinkContext& link = core.link;
    CSettingsStore().WriteRootDirectory(root);
    link.state.SetConnectionState(true, "Bench", "b1", "127.0.0.1");
    std::jthread receiver([&] { BackupReceiverThread(link, core.storage); });
    while (link.backupPort.load() == 0) std::this_thread::yield();

    Result result;
    const long before = ResidentKiB();
    ResetPeakResident();
    const auto start = std::chrono::steady_clock::now();
    const int status =
        RunProgram({phoneTool, "backup", "--pc",
                    "127.0.0.1:" + std::to_string(link.backupPort.load()), phoneDir.string()});
    result.seconds = SecondsSince(start);
    result.peakGrowthKiB = PeakResidentKiB() - before;
    if (status != 0 || core.frontend.lastBanner != "Backup completed")
        std::fprintf(stderr, "the backup did not complete (phone status %d)\n", status);
    link.stop.RequestStop();
    return result;
}

void Compare(const DataSet& set, const fs::path& work, const std::string& self,
             const std::string& phoneTool, int repeats) {
    const fs::path phoneDir = work / "phone" / set.label;
    const fs::path root = work / "pc-root";
    std::printf("\n== %s: %d file(s) of %llu bytes, %.1f MiB\n", set.label.c_str(), set.count,
                static_cast<unsigned long long>(set.size), set.Bytes() / 1048576.0);
    WriteDataSet(set, phoneDir);
    ::sync();

    // Interleaved runs, the best of each kept, so that a busy moment of the
    // machine does not decide a ratio.
    double wire = 1e9, copy = 1e9;
    Result ours{1e9, 0};
    for (int run = 0; run < repeats; ++run) {
        wire = std::min(wire, TimeWire(set, self));
        const Result r = TimeHarbrook(phoneDir, root, phoneTool);
        RemoveTree(root / "Backup of Harbrook");
        if (r.seconds < ours.seconds) ours.seconds = r.seconds;
        ours.peakGrowthKiB = std::max(ours.peakGrowthKiB, r.peakGrowthKiB);
        copy = std::min(copy, TimeCopy(phoneDir, work / "cp-copy"));
    }
    RemoveTree(phoneDir);

    std::printf("  wire limit  %8.1f MiB/s  %9.0f files/s\n", MiBps(set.Bytes(), wire),
                set.count / wire);
    std::printf("  harbrook    %8.1f MiB/s  %9.0f files/s\n", MiBps(set.Bytes(), ours.seconds),
                set.count / ours.seconds);
    std::printf("  cp -r       %8.1f MiB/s  %9.0f files/s\n", MiBps(set.Bytes(), copy),
                set.count / copy);
    std::printf("  harbrook / wire limit = %.2f   harbrook / cp = %.2f\n", wire / ours.seconds,
                copy / ours.seconds);
    std::printf("  peak memory growth of the PC side: %ld KiB\n", ours.peakGrowthKiB);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--wire-phone")
        return WireBackupPhone(argv[2],
                               {"wire", std::atoi(argv[3]), std::strtoull(argv[4], nullptr, 10)});
    double scale = 1.0;
    int repeats = 2;
    std::string sets = "one-large,medium,small";  // which data sets to run
    fs::path dir = fs::temp_directory_path();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--scale")
            scale = std::atof(argv[i + 1]);
        else if (arg == "--dir")
            dir = argv[i + 1];
        else if (arg == "--sets")
            sets = argv[i + 1];
        else if (arg == "--repeat")
            repeats = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string phoneTool = HARBROOK_PHONE_TOOL;
    std::string pattern = (dir / "harbrook-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path work = pattern;
    // The settings store writes here, never into the user's own settings.
    ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    ::setenv("HOME", work.c_str(), 1);

    auto scaled = [&](int n) { return std::max(1, static_cast<int>(n * scale)); };
    std::printf("backup benchmark, scale %.3f, in %s\n", scale, work.c_str());
    if (sets.find("one-large") != std::string::npos)
        Compare({"one-large", 1, static_cast<std::uint64_t>((1ULL << 30) * std::min(1.0, scale))},
                work, self, phoneTool, repeats);
    if (sets.find("medium") != std::string::npos)
        Compare({"medium", scaled(2000), 3'000'000}, work, self, phoneTool, repeats);
    if (sets.find("small") != std::string::npos)
        Compare({"small", scaled(20000), 20'000}, work, self, phoneTool, repeats);
    RemoveTree(work);
    return 0;
}
