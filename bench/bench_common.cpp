#include "bench/bench_common.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace harbrook::bench {
namespace {

long StatusKiB(const char* field, const std::string& file = "/proc/self/status") {
    std::ifstream in(file);
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
    const int pid = SpawnProgram(argv, quiet);
    return pid < 0 ? -1 : WaitProgram(pid);
}

int SpawnProgram(const std::vector<std::string>& argv, bool quiet) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int WaitProgram(int pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long ProcessStatus(int pid, const char* field) {
    return StatusKiB(field, "/proc/" + std::to_string(pid) + "/status");
}

bool PortAccepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

int FreeLoopbackPortRange(int count) {
    // Ports from a spread of starting points in the range below the
    // system's ephemeral ports, each checked by binding it.
    for (int base = 20000 + ::getpid() % 97 * 100; base + count < 32000; base += count) {
        bool free = true;
        for (int port = base; free && port < base + count; ++port) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_addr.s_addr = htonl(INADDR_ANY);
            addr.sin_port = htons(static_cast<std::uint16_t>(port));
            free = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
            if (fd >= 0) ::close(fd);
        }
        if (free) return base;
    }
    return 0;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

namespace {
double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
}  // namespace

double ProcessCpuSeconds() {
    return CpuSeconds(RUSAGE_SELF);
}

double ThreadCpuSeconds() {
    return CpuSeconds(RUSAGE_THREAD);
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

void WarmFreeMemory(std::size_t bytes) {
    void* memory =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    auto* bytesOf = static_cast<volatile char*>(memory);
    for (std::size_t at = 0; at < bytes; at += 4096) bytesOf[at] = 1;
    ::munmap(memory, bytes);
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
    std::ofstream("/proc/sys/vm/drop_caches") << "3";  // root only; otherwise nothing
}

double MiBps(std::uint64_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds : 0;
}

BenchOptions ParseBenchOptions(int argc, char** argv, const char* usage) {
    BenchOptions options;
    const auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "%s: %s\n%s", argv[0], why.c_str(), usage);
        std::exit(2);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) fail(arg + " needs a value");
        const std::string value = argv[++i];
        if (arg == "--scale") {
            options.scale = std::atof(value.c_str());
            if (!(options.scale > 0)) fail("--scale must be a positive number");
        } else if (arg == "--dir") {
            options.dir = value;
            if (!std::filesystem::is_directory(options.dir)) fail(value + " is not a folder");
        } else if (arg == "--sets") {
            options.sets = value;
        } else if (arg == "--repeat") {
            options.repeats = std::atoi(value.c_str());
            if (options.repeats < 1) fail("--repeat must be at least 1");
        } else {
            fail("unknown option " + arg);
        }
    }
    return options;
}

}  // namespace harbrook::bench
