// Send throughput of the PC side to harbrook-phone, measured in one run
// against the wire limit of the same conversation (no disk on either end) and
// against `cp` of the same files on the same disk.
//   send_bench [--scale F] [--dir FOLDER] [--repeat N] [--sets one-large,medium,small]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/bench_common.h"
#include "bench/wire_loop.h"
#include "link/frames.h"
#include "link/link_context.h"
#include "send/send_files.h"

using namespace harbrook;
using namespace harbrook::bench;
namespace fs = std::filesystem;

namespace {

// Never used: a send prepares no folders.
struct NoFolders : BackupFolderPreparer {
    bool PrepareBackupFolders(std::int64_t) override { return false; }
};

double TimeWire(const DataSet& set, const std::string& self) {
    const int port = FreeLoopbackPort();
    const auto start = std::chrono::steady_clock::now();
    std::thread phone([&] { RunProgram({self, "--wire-phone", std::to_string(port)}); });
    zmq::context_t context;
    zmq::socket_t dealer(context, zmq::socket_type::dealer);
    SetIdentity(dealer, "PCSENDING");
    SetReceiveTimeout(dealer, std::chrono::milliseconds(15000));
    ConnectTo(dealer, "127.0.0.1:" + std::to_string(port));
    if (!WireSendPc(dealer, set)) std::fprintf(stderr, "wire send failed\n");
    phone.join();
    return SecondsSince(start);
}

double TimeHarbrook(const std::vector<fs::path>& files, const fs::path& out,
                    const std::string& phoneTool) {
    QuietFrontend frontend;
    NoFolders folders;
    PortPlan plan;
    plan.send = FreeLoopbackPort();
    LinkContext link(frontend, folders, plan);
    link.state.SetConnectionState(true, "Bench", "b1", "127.0.0.1");
    const auto start = std::chrono::steady_clock::now();
    std::thread phone([&] {
        RunProgram(
            {phoneTool, "receive", "--port", std::to_string(plan.send), "--out", out.string()});
    });
    SendFilesThread(link, files);
    phone.join();
    const double seconds = SecondsSince(start);
    if (frontend.lastMessage.rfind("Transmission was completed", 0) != 0)
        std::fprintf(stderr, "the send did not complete: %s\n", frontend.lastMessage.c_str());
    RemoveTree(out);
    return seconds;
}

void Compare(const DataSet& set, const fs::path& work, const std::string& self,
             const std::string& phoneTool, int repeats) {
    const fs::path pcDir = work / "pc" / set.label;
    std::printf("\n== %s: %d file(s) of %llu bytes, %.1f MiB\n", set.label.c_str(), set.count,
                static_cast<unsigned long long>(set.size), set.Bytes() / 1048576.0);
    WriteDataSet(set, pcDir);
    ::sync();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(pcDir)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    double wire = 1e9, ours = 1e9, copy = 1e9;
    for (int run = 0; run < repeats; ++run) {
        wire = std::min(wire, TimeWire(set, self));
        ours = std::min(ours, TimeHarbrook(files, work / "phone-out", phoneTool));
        copy = std::min(copy, TimeCopy(pcDir, work / "cp-copy"));
    }
    RemoveTree(pcDir);
    std::printf("  wire limit  %8.1f MiB/s  %9.0f files/s\n", MiBps(set.Bytes(), wire),
                set.count / wire);
    std::printf("  harbrook    %8.1f MiB/s  %9.0f files/s\n", MiBps(set.Bytes(), ours),
                set.count / ours);
    std::printf("  cp -r       %8.1f MiB/s  %9.0f files/s\n", MiBps(set.Bytes(), copy),
                set.count / copy);
    std::printf("  harbrook / wire limit = %.2f   harbrook / cp = %.2f\n", wire / ours,
                copy / ours);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--wire-phone")
        return WireSendPhone(std::atoi(argv[2]));
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
    std::string pattern = (dir / "harbrook-send-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path work = pattern;
    ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    ::setenv("HOME", work.c_str(), 1);

    std::printf("send benchmark, scale %.3f, in %s\n", scale, work.c_str());
    if (sets.find("one-large") != std::string::npos)
        Compare({"one-large", 1, static_cast<std::uint64_t>((1ULL << 30) * std::min(1.0, scale))},
                work, self, HARBROOK_PHONE_TOOL, repeats);
    if (sets.find("medium") != std::string::npos)
        Compare({"medium", std::max(1, static_cast<int>(2000 * scale)), 3'000'000}, work, self,
                HARBROOK_PHONE_TOOL, repeats);
    RemoveTree(work);
    return 0;
}
