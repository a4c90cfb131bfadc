// The phone link's port numbers and timings. Production uses the defaults;
// tests inject their own ports and short timings so they run fast and side by
// side.
#pragma once

#include <array>
#include <chrono>

namespace harbrook {

using PortList = std::array<int, 3>;

struct PortPlan {
    PortList pairing{5392, 16328, 24635};  // PC binds the first free (ROUTER)
    PortList monitor{6392, 15328, 23635};  // heartbeat (ROUTER)
    PortList backup{7392, 17328, 25635};   // backup reception (ROUTER)
    int beacon = 24639;                    // phone publishes; PC subscribes on its /24
    int disconnectNotice = 4358;           // phone tells the PC it disconnected (PC REP)
    int send = 13965;                      // PC sends files to the phone (DEALER)
    int userDisconnect = 34926;            // PC tells the phone the user disconnected (REQ)
};

struct Timing {
    using ms = std::chrono::milliseconds;
    ms connectedCheck{1000};  // monitor: how often it looks for a connected phone
    ms monitorWindow{20000};  // monitor: one heartbeat wait
    int monitorMisses = 3;    // silent windows forgiven before the fourth disconnects
    ms monitorBindRetry{2000};
    ms detectionIdle{3000};      // detection: pause while a phone is connected
    ms detectionReply{15000};    // detection: wait for the phone's answer
    ms disconnectReply{3000};    // user's disconnect: wait for the phone's answer
    ms transferReceive{10000};   // backup and send: receive time-out
    ms backupIdleRetry{500};     // backup: pause between waits for a phone
    ms insufficientPause{2000};  // backup: pause after "insufficient"
    ms linger{3000};             // pairing, backup, send sockets
    // Pairing: how long after the code was last shown a phone may still
    // pair, and how often the waiting pairing server looks at the time.
    ms pairingWindow{600000};
    ms pairingCheck{1000};
    ms monitorLinger{10000};  // monitor socket
    // Reconnect back-off of the /24 scan's pending connects, so that an idle
    // PC does not keep retrying them all every 100 ms: a new phone is heard
    // within scanReconnectMax + scanReconnect (the library adds up to one
    // first interval at random to each wait) and its next beacon.
    ms scanReconnect{1000};
    ms scanReconnectMax{26000};
    // The address of the phone connected last is retried at this fixed
    // interval, so that it is found again about a second after it comes back.
    ms scanReconnectLastPhone{300};
};

}  // namespace harbrook
