#include "bench/bench_common.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

extern char** environ;

namespace harbrook::bench {
namespace {

long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return -1;
}

}  // namespace

void WriteDataSet(const DataSet& set, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::vector<char> block(1 << 20);
    std::uint32_t x = 12345;
    for (char& c : block) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    for (int i = 0; i < set.count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "IMG_%06d.jpg", i);
        std::FILE* out = std::fopen((folder / name).c_str(), "wb");
        if (!out) continue;
        block[0] = static_cast<char>(i);  // every file a little different
        for (std::uint64_t done = 0; done < set.size;) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), set.size - done));
            std::fwrite(block.data(), 1, n, out);
            done += n;
        }
        std::fclose(out);
    }
}

int RunProgram(const std::vector<std::string>& argv, bool quiet) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long ResidentKiB() {
    return StatusKiB("VmRSS");
}
long PeakResidentKiB() {
    return StatusKiB("VmHWM");
}

bool ResetPeakResident() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    return static_cast<bool>(out.flush());
}

double TimeCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
    RemoveTree(to);
    const auto start = std::chrono::steady_clock::now();
    RunProgram({"/bin/cp", "-r", from.string(), to.string()});
    const double seconds = SecondsSince(start);
    RemoveTree(to);
    return seconds;
}

void RemoveTree(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    ::sync();
}

double MiBps(std::uint64_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds : 0;
}

}  // namespace harbrook::bench
