// What the link workers share: the connection state, the ports they bound, the
// port plan and timings, the front end, the transfer-busy flag and the stop
// signal. The application owns one; every worker receives it, never a window.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/clock.h"
#include "core/frontend.h"
#include "link/connection_state.h"
#include "link/pairing_window.h"
#include "link/port_plan.h"
#include "link/stop_signal.h"

namespace harbrook {

// Prepares the backup folder tree for the connected phone with room for the
// given bytes (implemented by the storage layout).
class BackupFolderPreparer {
  public:
    virtual ~BackupFolderPreparer() = default;
    virtual bool PrepareBackupFolders(std::int64_t neededBytes) = 0;
};

// Draws and shows the pairing QR code (implemented by the qr library).
class PairingCodeSink {
  public:
    virtual ~PairingCodeSink() = default;
    // The QR text changed or must be shown: returns true when it is on show.
    virtual bool UpdatePairingCode(const std::string& portText) = 0;
};

struct LinkContext {
    LinkContext(Frontend& ui, BackupFolderPreparer& preparer, PortPlan plan = {}, Timing times = {},
                const Clock& time = SystemClock())
        : frontend(ui),
          folders(preparer),
          ports(plan),
          timing(times),
          clock(time),
          pairingWindow(time, times.pairingWindow),
          state(&ui) {}

    Frontend& frontend;
    BackupFolderPreparer& folders;
    PairingCodeSink* pairingCode = nullptr;  // optional: no QR without it
    const PortPlan ports;
    const Timing timing;
    const Clock& clock;
    // When phones may pair; the application keeps it up to date.
    PairingWindow pairingWindow;

    ConnectionState state;
    std::atomic<int> monitorPort{0};  // bound by the connection monitor, 0 until then
    std::atomic<int> backupPort{0};   // bound by the backup receiver, 0 until then
    std::atomic<int> pairingPort{0};  // bound by the pairing server (0 while it has none)
    // Backup and send exclude each other: taken with test_and_set, cleared at the end.
    std::atomic_flag transferBusy;
    // One send at a time, however it was started: taken when a send starts,
    // cleared when it has ended, before the button comes back.
    std::atomic_flag sendRunning;
    StopSignal stop;

    std::string BuildMonitorEndpoint();
    std::string BuildBackupEndpoint();
};

}  // namespace harbrook
