#include <cstdio>

#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/link_worker.h"
#include "update/date_records.h"

namespace harbrook {
namespace {

// Subscribes to the beacon port of every host 1..254 of the network. The
// connects stay pending in the library, which retries them in the background
// (with a back-off, so an idle PC stays idle) until a phone starts its beacon.
void ConnectScan(LinkContext& link, zmq::socket_t& scan, const std::string& prefix) {
    scan.set(zmq::sockopt::reconnect_ivl, static_cast<int>(link.timing.scanReconnect.count()));
    scan.set(zmq::sockopt::reconnect_ivl_max,
             static_cast<int>(link.timing.scanReconnectMax.count()));
    SetMaxMessageSize(scan, kMaxTextMessage);
    for (int host = 1; host <= 254; ++host) {
        char endpoint[200];
        std::snprintf(endpoint, sizeof endpoint, "tcp://%s%d:%d", prefix.c_str(), host,
                      link.ports.beacon);
        try {
            scan.connect(endpoint);
        } catch (const zmq::error_t& e) {
            if (IsTerminated(e)) throw;
            continue;
        }
        scan.set(zmq::sockopt::subscribe, "");
    }
}

// Hands the phone behind a beacon our endpoints and takes its answer.
void Handshake(LinkContext& link, zmq::context_t& context, const std::string& beacon,
               const std::string& pcId) {
    zmq::socket_t dealer(context, zmq::socket_type::dealer);
    dealer.set(zmq::sockopt::linger, 0);
    SetIdentity(dealer, kw::kPcDetect);
    SetMaxMessageSize(dealer, kMaxTextMessage);
    if (!ConnectTo(dealer, beacon)) return;
    SendText(dealer, pcId, true);
    SendText(dealer, link.BuildMonitorEndpoint(), true);
    SendText(dealer, StatusWord(link), true);
    SendText(dealer, link.BuildBackupEndpoint(), false);
    if (!PollIn(dealer, link.timing.detectionReply)) return;
    const auto reply = RecvTextMessage(dealer, {100, 100, 100, 50}, true);
    if (!reply) return;
    if ((*reply)[3] == kw::kConnected && !link.state.IsDisconnectRequested()) {
        if (!link.state.IsConnected()) {
            link.state.SetConnectionState(true, (*reply)[0], (*reply)[1], (*reply)[2]);
            link.folders.PrepareBackupFolders(1024);
            ResetShowDate(link.clock);
        }
    } else if (link.state.IsConnected()) {
        link.state.SetConnectionState(false, "", "", "");
    }
}

}  // namespace

void PhoneDetectionThread(LinkContext& link) {
    try {
        LinkContextHandle context(link.stop);
        const std::string prefix = NetworkPrefix(GetLocalIPv4());
        const std::string pcId = ReadPcId(100);
        RunWorker(link, [&] {
            while (link.state.IsConnected())
                if (!link.stop.SleepFor(link.timing.detectionIdle)) return false;
            // Without an address of our own there is no network to scan.
            if (prefix.empty()) return link.stop.SleepFor(link.timing.detectionIdle);
            zmq::socket_t scan(context, zmq::socket_type::sub);
            scan.set(zmq::sockopt::linger, 0);
            ConnectScan(link, scan, prefix);
            const auto beacon = RecvText(scan, 100);
            if (!beacon || beacon->text.empty()) return true;
            Handshake(link, context, beacon->text, pcId);
            return true;
        });
    } catch (const zmq::error_t&) {
    }
}

}  // namespace harbrook
