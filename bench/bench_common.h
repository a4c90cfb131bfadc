// What the benchmarks share: data sets on disk, child processes, clocks,
// memory readings, ports and `cp` as the yardstick of the disk.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/frontend.h"

namespace harbrook::bench {

struct DataSet {
    std::string label;
    int count = 0;
    std::uint64_t size = 0;  // bytes per file
    std::uint64_t Bytes() const { return static_cast<std::uint64_t>(count) * size; }
};

// Writes the data set's files (pattern bytes) into `folder`.
void WriteDataSet(const DataSet& set, const std::filesystem::path& folder);

// Runs a program to its end; the exit status, or -1 when it could not start.
int RunProgram(const std::vector<std::string>& argv, bool quiet = true);

// Starts a program (its output to /dev/null when quiet); its process id, or
// -1. WaitProgram waits for its end and gives the exit status (-1 when it
// did not exit by itself).
int SpawnProgram(const std::vector<std::string>& argv, bool quiet = true);
int WaitProgram(int pid);

// A field of /proc/PID/status ("VmHWM", "VmRSS", "Threads") as a number
// (KiB for the memory fields); -1 when it cannot be read.
long ProcessStatus(int pid, const char* field);

// True when a TCP connect to 127.0.0.1:port is accepted at once.
bool PortAccepts(int port);

// The first of `count` consecutive TCP ports on 127.0.0.1 that nothing
// listens on; 0 when none was found.
int FreeLoopbackPortRange(int count);

double SecondsSince(std::chrono::steady_clock::time_point start);

// CPU time (user and system) this process has used so far, all its threads,
// not its children.
double ProcessCpuSeconds();
// CPU time of the calling thread alone.
double ThreadCpuSeconds();

// Resident memory of this process now and at its peak since the last reset,
// in KiB (from /proc/self/status).
long ResidentKiB();
long PeakResidentKiB();
// Starts a new peak measurement (Linux: /proc/self/clear_refs "5").
bool ResetPeakResident();

// Writes to `bytes` of fresh memory and gives it back. A virtual machine
// whose balloon reports free pages hands them to its host, and the next
// first touch of such a page costs a fault on the host that shows up as CPU
// time of whoever touched it; warming before a leg lets the legs start alike
// instead of on whichever pages the host still backs.
void WarmFreeMemory(std::size_t bytes);

// Seconds that `cp -r from to` takes; `to` is removed afterwards.
double TimeCopy(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a tree, writes back what is dirty and, where this process may,
// drops the clean caches, so that one leg does not slow the next. ext4
// without a journal (this machine's) passes over every inode freed in the last
// minute whose table block is still cached when it makes a new one: right
// after 5000 small files are removed, each new file costs hundreds of
// microseconds, far more than on a journalled ext4.
void RemoveTree(const std::filesystem::path& path);

double MiBps(std::uint64_t bytes, double seconds);

// The command line of the throughput benchmarks.
struct BenchOptions {
    double scale = 1.0;                           // of every data set's file count
    int repeats = 2;                              // interleaved runs; the best is kept
    std::string sets = "one-large,medium,small";  // which data sets to run
    std::filesystem::path dir = std::filesystem::temp_directory_path();
};
// Reads --scale, --dir, --repeat and --sets. --help prints `usage` and ends
// the program; anything else unknown or unusable ends it with status 2.
BenchOptions ParseBenchOptions(int argc, char** argv, const char* usage);

// A front end that says nothing and answers nothing.
class QuietFrontend : public Frontend {
  public:
    void OnConnectionStateChanged(bool, const std::string&) override {}
    void SetBannerStatus(const std::string& text) override { lastBanner = text; }
    void ShowMessage(const std::string& text) override { lastMessage = text; }
    bool AskOkCancel(const std::string&) override { return true; }
    void SetSendButton(const std::string&, bool) override {}
    bool ShowQrCode(const std::filesystem::path&, const std::string&) override { return false; }
    void OnBackupEnded(const BackupEnd& end) override {
        completed = end.outcome == BackupOutcome::Completed;
        backupEnded = true;
    }
    std::string lastBanner, lastMessage;  // read after the worker has finished
    std::atomic<bool> backupEnded{false}, completed{false};
};

}  // namespace harbrook::bench
