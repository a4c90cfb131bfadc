// The headless program seen from outside: how soon after exec it accepts on
// its pairing port, and how much memory it holds idle and through a backup
// of one large file (and many small ones), read from /proc while it runs.
//   bench_program [--starts N] [--size BYTES] [--many N] [--dir FOLDER]
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_common.h"

using namespace harbrook::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPortsInPlan = 13;   // the program's --ports-base plan
constexpr int kMonitorOffset = 3;  // its first connection monitor port
constexpr int kBackupOffset = 6;   // its first backup port

constexpr const char* kUsage =
    "Usage: bench_program [--starts N] [--size BYTES] [--many N] [--dir FOLDER]\n"
    "Starts the headless harbrook N times and prints how long each takes from exec to\n"
    "accepting on its pairing port; then pairs harbrook-phone with one instance, backs\n"
    "up one generated file of BYTES, 5000 files of 20 KB, and N files of 1000 bytes\n"
    "twice (the second time all of them are stored already), and prints the resident\n"
    "memory (VmRSS, VmHWM) and threads of the program from /proc.\n"
    "  --starts N      starts to time (20)\n"
    "  --size BYTES    the large file (1073741824)\n"
    "  --many N        the many small files (100000)\n"
    "  --dir FOLDER    where the backup root goes (the temporary folder)\n";

struct Program {
    int pid = -1;
    int base = 0;
    double acceptSeconds = -1;  // from the spawn to the first accepted connect
};

Program Start(const fs::path& root) {
    Program p;
    p.base = FreeLoopbackPortRange(kPortsInPlan);
    const auto start = Clock::now();
    p.pid = SpawnProgram({HARBROOK_PROGRAM, "--headless", "--address", "127.0.0.1", "--ports-base",
                          std::to_string(p.base), "--backup-root", root.string()});
    if (p.pid < 0) return p;
    while (SecondsSince(start) < 10) {
        if (PortAccepts(p.base)) {
            p.acceptSeconds = SecondsSince(start);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return p;
}

void Stop(Program& p) {
    if (p.pid < 0) return;
    ::kill(p.pid, SIGTERM);
    WaitProgram(p.pid);
    p.pid = -1;
}

void PrintMemory(const char* when, int pid) {
    std::printf("  %-34s VmRSS %6ld KiB  VmHWM %6ld KiB  threads %ld\n", when,
                ProcessStatus(pid, "VmRSS"), ProcessStatus(pid, "VmHWM"),
                ProcessStatus(pid, "Threads"));
}

double Backup(const Program& p, long count, long long size) {
    const auto start = Clock::now();
    const int status =
        RunProgram({HARBROOK_PHONE_TOOL, "backup", "--pc",
                    "127.0.0.1:" + std::to_string(p.base + kBackupOffset), "--generate",
                    std::to_string(count) + ":" + std::to_string(size)});
    const double seconds = SecondsSince(start);
    if (status != 0) std::fprintf(stderr, "the backup did not complete (status %d)\n", status);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    int starts = 20;
    long long size = 1LL << 30;
    long many = 100000;
    fs::path dir = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        if (value && arg == "--starts" && (starts = std::atoi(value)) > 0) continue;
        if (value && arg == "--size" && (size = std::atoll(value)) > 0) continue;
        if (value && arg == "--many" && (many = std::atol(value)) > 0) continue;
        if (value && arg == "--dir" && fs::is_directory(value)) {
            dir = value;
            continue;
        }
        std::fprintf(stderr, "bench_program: bad option %s\n%s", arg.c_str(), kUsage);
        return 2;
    }
    std::string pattern = (dir / "harbrook-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path work = pattern;
    // The program's settings, lock and history live here, not in the user's.
    ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", work.c_str(), 1);
    ::setenv("HOME", work.c_str(), 1);
    ::setenv("HARBROOK_ADDRESS", "127.0.0.1", 1);
    const fs::path root = work / "root";
    fs::create_directories(root);

    std::printf("headless start-up: exec to accepting on the pairing port, %d starts\n", starts);
    std::vector<double> times;
    for (int i = 0; i < starts; ++i) {
        Program p = Start(root);
        if (p.acceptSeconds >= 0) times.push_back(p.acceptSeconds * 1000);
        Stop(p);
    }
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        std::printf("  median %.1f ms, fastest %.1f ms, slowest %.1f ms (%zu of %d accepted)\n",
                    times[times.size() / 2], times.front(), times.back(), times.size(), starts);
    }

    std::printf("\nresident memory of the headless program\n");
    Program p = Start(root);
    if (p.acceptSeconds < 0) {
        std::fprintf(stderr, "the program did not start\n");
        Stop(p);
        RemoveTree(work);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    PrintMemory("idle, no phone:", p.pid);
    RunProgram({HARBROOK_PHONE_TOOL, "pair", "127.0.0.1:" + std::to_string(p.base)});
    // The phone's heartbeat, as the app keeps it up: without it the program
    // takes the phone for gone after its monitor window, in the middle of the
    // many small files.
    const int heartbeat = SpawnProgram(
        {HARBROOK_PHONE_TOOL, "heartbeat", "127.0.0.1:" + std::to_string(p.base + kMonitorOffset)});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    PrintMemory("paired:", p.pid);
    const double large = Backup(p, 1, size);
    char label[80];
    std::snprintf(label, sizeof label, "after 1 x %.0f MiB (%.0f MiB/s):", size / 1048576.0,
                  size / 1048576.0 / large);
    PrintMemory(label, p.pid);
    RemoveTree(root / "Backup of Harbrook");
    const double small = Backup(p, 5000, 20000);
    std::snprintf(label, sizeof label, "after 5000 x 20 KB (%.0f files/s):", 5000 / small);
    PrintMemory(label, p.pid);
    // The phone's manifest and the look-up by size grow with the files kept.
    RemoveTree(root / "Backup of Harbrook");
    for (const char* time : {"", " again"}) {
        const double seconds = Backup(p, many, 1000);
        std::snprintf(label, sizeof label, "after %ld x 1000 B%s (%.0f files/s):", many, time,
                      many / seconds);
        PrintMemory(label, p.pid);
    }
    if (heartbeat > 0) {
        ::kill(heartbeat, SIGTERM);
        WaitProgram(heartbeat);
    }
    Stop(p);
    RemoveTree(work);
    return 0;
}
