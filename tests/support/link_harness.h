// Runs the PC's link workers over loopback with ports of their own and fast
// timings, for integration tests.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "link/link_context.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {

// Ports nobody listens on right now, found by the system.
std::vector<int> FreePorts(int count);

// A port plan whose every port is free.
PortPlan FreePortPlan();

// Short windows so that silence and retries take milliseconds.
Timing FastTiming();

// Counts preparations instead of making folders.
class CountingFolders : public BackupFolderPreparer {
  public:
    bool PrepareBackupFolders(std::int64_t needed) override {
        lastNeed = needed;
        ++calls;
        return forward ? forward->PrepareBackupFolders(needed) : true;
    }
    BackupFolderPreparer* forward = nullptr;  // makes real folders when a test sets it
    std::atomic<int> calls{0};
    std::atomic<std::int64_t> lastNeed{0};
};

class LinkHarness {
  public:
    explicit LinkHarness(PortPlan plan = FreePortPlan(), Timing timing = FastTiming(),
                         BackupFolderPreparer* folders = nullptr);
    ~LinkHarness();  // stops and joins every worker

    // Starts a worker on its own thread.
    void Start(void (*worker)(LinkContext&));
    void Start(std::function<void(LinkContext&)> worker);
    // Raises the stop signal and joins; returns how long that took.
    std::chrono::milliseconds Stop();

    Sandbox sandbox;
    RecorderFrontend frontend;
    CountingFolders countingFolders;
    LinkContext link;

  private:
    std::vector<std::thread> m_threads;
};

}  // namespace harbrook::test
