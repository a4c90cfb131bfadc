// What the benchmarks share: data sets on disk, child processes, clocks,
// memory readings and `cp` as the yardstick of the disk.
#pragma once

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

double SecondsSince(std::chrono::steady_clock::time_point start);

// Resident memory of this process now and at its peak since the last reset,
// in KiB (from /proc/self/status).
long ResidentKiB();
long PeakResidentKiB();
// Starts a new peak measurement (Linux: /proc/self/clear_refs "5").
bool ResetPeakResident();

// Seconds that `cp -r from to` takes; `to` is removed afterwards.
double TimeCopy(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a tree and drops written pages so one run does not slow the next.
void RemoveTree(const std::filesystem::path& path);

double MiBps(std::uint64_t bytes, double seconds);

// A front end that says nothing and answers nothing.
class QuietFrontend : public Frontend {
  public:
    void OnConnectionStateChanged(bool, const std::string&) override {}
    void SetBannerStatus(const std::string& text) override { lastBanner = text; }
    void ShowMessage(const std::string& text) override { lastMessage = text; }
    bool AskOkCancel(const std::string&) override { return true; }
    void SetSendButton(const std::string&, bool) override {}
    bool ShowQrCode(const std::filesystem::path&, const std::string&) override { return false; }
    std::string lastBanner, lastMessage;  // read after the worker has finished
};

}  // namespace harbrook::bench
