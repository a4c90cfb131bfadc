// Backup throughput of the PC side alone, measured in one run against the
// limit of the same bytes. The phone is harbrook-phone in its own process,
// serving generated content from memory, so that neither its disk nor its
// reading is in any figure. The legs of a run:
//   wire   the same phone against a bare PC loop that writes nothing;
//   disk   a plain loop writing the same files in 300000-byte pieces into the
//          same folder, alone on the machine;
//   both   the bare loop and the plain write loop at the same time, in two
//          threads: what a receiver that overlaps receiving and writing
//          perfectly, and pays nothing for handing bytes over, would reach
//          while the phone shares the machine with it;
//   PC     the real receiver thread, with file checksums (the manifest and
//          the look-up of stored content) and without them.
// The limit is the slowest of wire, disk and both; the ratio is that limit's
// time over the PC side's time.
//   backup_bench [--scale F] [--dir FOLDER] [--repeat N] [--sets one-large,medium,small]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "backup/backup_receiver.h"
#include "bench/bench_common.h"
#include "bench/wire_loop.h"
#include "core/settings_store.h"
#include "link/frames.h"
#include "platform/file_io.h"
#include "tools/phone/phone_backup.h"

using namespace harbrook;
using namespace harbrook::bench;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> GeneratingPhone(const std::string& phoneTool, int port,
                                         const DataSet& set) {
    return {phoneTool,    "backup",
            "--pc",       "127.0.0.1:" + std::to_string(port),
            "--generate", std::to_string(set.count) + ":" + std::to_string(set.size)};
}

// Wall time and the CPU time this process (the PC side, its library
// threads included; the phone is a child) spent on one leg.
struct Leg {
    double seconds = 0;
    double cpu = 0;
};

class LegClock {
  public:
    Leg Read() const { return {SecondsSince(m_start), ProcessCpuSeconds() - m_cpu}; }

  private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    double m_cpu = ProcessCpuSeconds();
};

// The wire limit: a bare ROUTER loop here, the phone in a child.
Leg TimeWire(const std::vector<std::string>& phone, int port) {
    zmq::context_t context;
    zmq::socket_t router(context, zmq::socket_type::router);
    BindPort(router, port);
    const LegClock clock;
    const int pid = SpawnProgram(phone);
    WireBackupPc(router);
    WaitProgram(pid);
    return clock.Read();
}

// One volume, the benchmark's folder, with room to spare: the backup goes
// where --dir says, a tmpfs too (which the system's list leaves out).
class BenchVolume final : public VolumeSource {
  public:
    explicit BenchVolume(fs::path root) : m_root(std::move(root)) {}
    std::vector<platform::StorageVolume> List() const override {
        return {{m_root.string(), m_root, platform::VolumeType::Fixed, false}};
    }
    std::optional<std::uint64_t> FreeBytes(const fs::path&) const override { return 1ULL << 42; }

  private:
    fs::path m_root;
};

// The PC core of the benchmark: front end, link context and storage layout.
struct BenchCore {
    BenchCore(PortPlan plan, const fs::path& root)
        : link(frontend, storage, plan), volume(root), storage(link.state, volume) {}
    QuietFrontend frontend;
    LinkContext link;
    BenchVolume volume;
    StorageLayout storage;
};

struct PcRun {
    Leg leg;
    long peakGrowthKiB = 0;
};

// The real receiver thread here, harbrook-phone backing generated files up.
PcRun TimeHarbrook(const DataSet& set, const fs::path& root, const std::string& phoneTool,
                   bool digests) {
    PortPlan plan;
    plan.backup = {FreeLoopbackPort(), FreeLoopbackPort(), FreeLoopbackPort()};
    BenchCore core(plan, root);
    core.storage.SetFileDigests(digests);
    LinkContext& link = core.link;
    CSettingsStore().WriteRootDirectory(root);
    link.state.SetConnectionState(true, "Bench", "b1", "127.0.0.1");
    std::jthread receiver([&] { BackupReceiverThread(link, core.storage); });
    while (link.backupPort.load() == 0) std::this_thread::yield();

    PcRun result;
    const long before = ResidentKiB();
    ResetPeakResident();
    const LegClock clock;
    const int status = RunProgram(GeneratingPhone(phoneTool, link.backupPort.load(), set));
    // The phone may be gone before the PC has taken its last word.
    while (!core.frontend.backupEnded) std::this_thread::sleep_for(std::chrono::microseconds(100));
    result.leg = clock.Read();
    result.peakGrowthKiB = PeakResidentKiB() - before;
    if (status != 0 || !core.frontend.completed)
        std::fprintf(stderr, "the backup did not complete (phone status %d)\n", status);
    link.stop.RequestStop();
    return result;
}

// The folder where the PC side stores the set (its camera folder).
fs::path FolderOf(const fs::path& root) {
    PortPlan plan;
    plan.backup = {FreeLoopbackPort(), FreeLoopbackPort(), FreeLoopbackPort()};
    BenchCore core(plan, root);
    CSettingsStore().WriteRootDirectory(root);
    core.link.state.SetConnectionState(true, "Bench", "b1", "127.0.0.1");
    core.storage.PrepareBackupFolders(1);
    return core.storage.KeptPath(BackupCategory::Camera);
}

// The disk's own speed for the same files: create (a new file, as the PC
// side does), write in chunk-sized pieces from memory, close; one after
// another in the same folder. Its CPU time is that of the calling thread.
Leg TimeDisk(const DataSet& set, const fs::path& folder) {
    fs::create_directories(folder);
    const auto files = phone::GenerateBackupFiles(set.count, static_cast<std::int64_t>(set.size));
    std::vector<char> scratch;
    const auto start = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuSeconds();
    for (const auto& file : files) {
        platform::File out = platform::File::CreateNew(folder / file.name);
        for (std::int64_t done = 0; done < file.size;) {
            const auto chunk = phone::GeneratedChunk(file, done, scratch);
            out.WriteAll(chunk);
            done += static_cast<std::int64_t>(chunk.size());
        }
        out.Close();
    }
    return {SecondsSince(start), ThreadCpuSeconds() - cpu};
}

// The bare loop and the plain write loop side by side, each on its own
// thread, started together; the leg ends when both have.
struct BothLegs {
    Leg both, disk;  // disk: the write loop's own thread
};
BothLegs TimeWireAndDisk(const std::vector<std::string>& phone, int port, const DataSet& set,
                         const fs::path& folder) {
    zmq::context_t context;
    zmq::socket_t router(context, zmq::socket_type::router);
    BindPort(router, port);
    BothLegs result;
    const LegClock clock;
    const int pid = SpawnProgram(phone);
    {
        std::jthread writer([&] { result.disk = TimeDisk(set, folder); });
        WireBackupPc(router);
        WaitProgram(pid);
    }
    result.both = clock.Read();
    return result;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Compare(const DataSet& set, const fs::path& work, const std::string& self,
             const std::string& phoneTool, int repeats) {
    const fs::path root = work / "pc-root";
    fs::create_directories(root);
    std::printf("\n== %s: %d file(s) of %llu bytes, %.1f MiB\n", set.label.c_str(), set.count,
                static_cast<unsigned long long>(set.size), set.Bytes() / 1048576.0);
    const double mib = set.Bytes() / 1048576.0;
    long peak = 0;
    std::vector<double> ratios, offRatios, cpuRatios;
    // The legs of one run follow each other closely, so that a busy moment of
    // the machine falls on all of them alike; every run's ratio is printed.
    // Enough for the written pages of the largest leg and the messages in
    // flight; see WarmFreeMemory.
    const std::size_t warm = set.Bytes() + (1ULL << 30);
    for (int run = 0; run < repeats; ++run) {
        WarmFreeMemory(warm);
        const int port = FreeLoopbackPort();
        const Leg wire = TimeWire(GeneratingPhone(phoneTool, port, set), port);
        const int barePort = FreeLoopbackPort();
        const Leg bare = TimeWire({self, "--wire-phone", "127.0.0.1:" + std::to_string(barePort),
                                   std::to_string(set.count), std::to_string(set.size)},
                                  barePort);
        // The legs that write start alike: with nothing of ours, nor of
        // anyone else, left dirty in the page cache. They take turns at going
        // first.
        const fs::path folder = FolderOf(root);
        PcRun ours, off;
        Leg disk;
        BothLegs both;
        for (int leg = 0; leg < 4; ++leg) {
            ::sync();
            WarmFreeMemory(warm);
            switch ((leg + run) % 4) {
                case 0:
                    ours = TimeHarbrook(set, root, phoneTool, true);
                    break;
                case 3:
                    off = TimeHarbrook(set, root, phoneTool, false);
                    break;
                case 1:
                    disk = TimeDisk(set, folder);
                    break;
                default: {
                    const int bothPort = FreeLoopbackPort();
                    both = TimeWireAndDisk(GeneratingPhone(phoneTool, bothPort, set), bothPort, set,
                                           folder);
                }
            }
            RemoveTree(root / "Backup of Harbrook");
        }
        const double limit = std::max({wire.seconds, disk.seconds, both.both.seconds});
        const char* bound = limit == wire.seconds   ? "wire"
                            : limit == disk.seconds ? "disk"
                                                    : "both";
        ratios.push_back(limit / ours.leg.seconds);
        offRatios.push_back(limit / off.leg.seconds);
        // What the PC side cannot avoid: the bare loop's work and the write
        // loop's, side by side.
        cpuRatios.push_back(both.both.cpu / ours.leg.cpu);
        peak = std::max(peak, ours.peakGrowthKiB);
        std::printf(
            "  run %d: wire %5.0f MiB/s (bare phone %5.0f)  disk %5.0f  both %5.0f  harbrook %5.0f"
            " MiB/s %5.0f files/s  limit: %s  ratio %.2f (checksums off %.2f)\n"
            "         PC CPU s/GiB: wire %.2f  disk %.2f (beside the wire %.2f)  both %.2f  "
            "harbrook %.2f  both/harbrook %.2f\n",
            run + 1, mib / wire.seconds, mib / bare.seconds, mib / disk.seconds,
            mib / both.both.seconds, mib / ours.leg.seconds, set.count / ours.leg.seconds, bound,
            ratios.back(), offRatios.back(), wire.cpu * 1024 / mib, disk.cpu * 1024 / mib,
            both.disk.cpu * 1024 / mib, both.both.cpu * 1024 / mib, ours.leg.cpu * 1024 / mib,
            cpuRatios.back());
        std::fflush(stdout);
    }
    std::printf("  harbrook / limit: median %.2f, spread %.2f..%.2f over %d runs\n", Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), repeats);
    std::printf(
        "  checksums off: harbrook / limit: median %.2f, spread %.2f..%.2f; on / off %.2f\n",
        Median(offRatios), *std::min_element(offRatios.begin(), offRatios.end()),
        *std::max_element(offRatios.begin(), offRatios.end()), Median(ratios) / Median(offRatios));
    std::printf("  CPU both / harbrook: median %.2f, spread %.2f..%.2f\n", Median(cpuRatios),
                *std::min_element(cpuRatios.begin(), cpuRatios.end()),
                *std::max_element(cpuRatios.begin(), cpuRatios.end()));
    std::printf("  peak memory growth of the PC side: %ld KiB\n", peak);
}

}  // namespace

constexpr const char* kUsage =
    "Usage: backup_bench [--scale F] [--dir FOLDER] [--repeat N] [--sets LIST]\n"
    "Backs generated files up from harbrook-phone (content made in memory) to the PC\n"
    "side and prints, for every run, its throughput against the wire (the same phone\n"
    "against a bare loop that writes nothing), the disk (a plain write loop of the\n"
    "same bytes in the same folder) and both of these at the same time in two\n"
    "threads; the limit is the slowest of the three. The CPU time of the PC side is\n"
    "set against that of the two loops side by side, which a busy machine disturbs\n"
    "far less than the wall-clock ratio.\n"
    "  --scale F       scale the sets (file counts; the large file up to 1 GiB) by F (1)\n"
    "  --dir FOLDER    where the files are written (the temporary folder)\n"
    "  --repeat N      runs of each set (3)\n"
    "  --sets LIST     any of one-large (1 x 1 GiB), medium (500 x 3 MB),\n"
    "                  small (5000 x 20 KB) (all)\n";

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--wire-phone")
        return WireBackupPhone(argv[2],
                               {"wire", std::atoi(argv[3]), std::strtoull(argv[4], nullptr, 10)});
    BenchOptions options = ParseBenchOptions(argc, argv, kUsage);
    bool repeatGiven = false;
    for (int i = 1; i < argc; ++i) repeatGiven |= std::string(argv[i]) == "--repeat";
    if (!repeatGiven) options.repeats = 3;
    const double scale = options.scale;
    const std::string sets = options.sets;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string phoneTool = HARBROOK_PHONE_TOOL;
    std::string pattern = (options.dir / "harbrook-bench-XXXXXX").string();
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
                work, self, phoneTool, options.repeats);
    if (sets.find("medium") != std::string::npos)
        Compare({"medium", scaled(500), 3'000'000}, work, self, phoneTool, options.repeats);
    if (sets.find("small") != std::string::npos)
        Compare({"small", scaled(5000), 20'000}, work, self, phoneTool, options.repeats);
    RemoveTree(work);
    return 0;
}
