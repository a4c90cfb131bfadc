// One fixture for the link tests: a sandboxed PC (settings, data folder), the
// real link workers on their own threads with ports of their own and short
// timings, and phones from the harbrook-phone library.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/link_context.h"
#include "link/link_threads.h"
#include "qr/pairing_code.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"
#include "tools/phone/phone_profile.h"

namespace harbrook::test {

// Counts the preparations and the needs they were asked for.
class CountingFolders final : public BackupFolderPreparer {
  public:
    bool PrepareBackupFolders(std::int64_t neededBytes) override;
    int Calls() const { return m_calls.load(); }
    std::int64_t LastNeed() const { return m_lastNeed.load(); }

  private:
    std::atomic<int> m_calls{0};
    std::atomic<std::int64_t> m_lastNeed{0};
};

class LinkTest : public ::testing::Test {
  protected:
    // The pairing window is open as after a start (the code was just shown).
    explicit LinkTest(Timing timing = FastTiming(), const Clock& clock = SystemClock());
    ~LinkTest() override;

    using Worker = void (*)(LinkContext&);
    // Runs the worker on its own thread until the test stops it.
    void Start(Worker worker);
    // True once a started worker has returned by itself.
    bool Ended(Worker worker) const;
    // Stops every worker; fails the test when that takes a second or more.
    void StopAll();

    // A phone that binds on `address` with ports of its own, reporting to this
    // PC; its connections to the PC come from that address too.
    phone::PhoneProfile MakePhone(const std::string& id = "phone-A",
                                  const std::string& address = "127.0.0.1");
    // Records the phone as paired from its source address (as if it had
    // paired before), without the pairing server.
    void RecordPaired(const phone::PhoneProfile& phone);
    // The QR text of the pairing port currently bound ("" when none).
    std::string PairingText() const;
    // Waits for the pairing server to bind and returns the QR text.
    std::string AwaitPairingText();
    // Pairs the phone, waiting until it is marked connected.
    void PairPhone(const phone::PhoneProfile& phone);
    std::string PcId() const;
    // True while the phone with that id (from that address, when given) is connected.
    bool ConnectedAs(const std::string& id, const std::string& address = {}) const;
    // The connection monitor's endpoint ("127.0.0.1:<port>"), once bound.
    std::string Monitor() const { return "127.0.0.1:" + std::to_string(link.monitorPort.load()); }
    // Starts the connection monitor and waits until it has bound; false when it does not.
    bool StartMonitor();

    Sandbox sandbox;
    RecorderFrontend frontend;
    CountingFolders folders;
    PortPlan plan;
    LinkContext link;
    PairingCode qr;

  private:
    struct Running {
        Worker worker;
        std::shared_ptr<std::atomic<bool>> ended;
        std::jthread thread;
    };
    std::vector<Running> m_running;
};

}  // namespace harbrook::test
