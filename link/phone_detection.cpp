// Phone detection: while no phone is connected, one SUB socket listens for a
// phone's beacon on every host of the PC's /24 network; the beacon names the
// endpoint on that network where the phone takes the detection request, and
// a paired phone that answers "Connected" from where it paired is marked
// connected.
#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "core/settings_store.h"
#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/phone_trust.h"
#include "link/worker_support.h"

namespace harbrook {
namespace {

constexpr std::size_t kBeaconBuffer = 100;
// Name, identity, address, the phone's status word.
constexpr std::array<std::size_t, 4> kReplyBuffers{100, 100, 100, 50};

// The host number (1 to 254) of an address on the scanned network; 0 for an
// address elsewhere.
int HostOnNetwork(const std::string& address, const std::string& prefix) {
    if (address.size() <= prefix.size() || address.compare(0, prefix.size(), prefix) != 0) return 0;
    int host = 0;
    for (char c : address.substr(prefix.size())) {
        if (c < '0' || c > '9' || host > 254) return 0;
        host = host * 10 + (c - '0');
    }
    return host <= 254 ? host : 0;
}

std::string BeaconEndpoint(const LinkContext& link, const std::string& prefix, int host) {
    char endpoint[200];
    std::snprintf(endpoint, sizeof endpoint, "tcp://%s%d:%d", prefix.c_str(), host,
                  link.ports.beacon);
    return endpoint;
}

// Connects the scan to one host and subscribes. The library takes the
// reconnect intervals per connect, when it is made: the host of the phone
// connected last is retried often, the others rarely.
void ConnectHost(zmq::socket_t& scan, const LinkContext& link, const std::string& endpoint,
                 bool lastPhone) {
    if (lastPhone)
        SetReconnectInterval(scan, link.timing.scanReconnectLastPhone,
                             link.timing.scanReconnectLastPhone);
    else
        SetReconnectInterval(scan, link.timing.scanReconnect, link.timing.scanReconnectMax);
    try {
        scan.connect(endpoint);
    } catch (const zmq::error_t& e) {
        if (IsTerminated(e)) throw;
        return;  // this host only
    }
    scan.set(zmq::sockopt::subscribe, "");
}

// A SUB socket connected to the beacon port of hosts 1 to 254 after the
// prefix. The connects to hosts where nothing listens stay pending and the
// library retries them, so a phone that starts its beacon later is heard; the
// reconnect back-off keeps those retries from costing an idle PC its CPU.
zmq::socket_t OpenScan(LinkContext& link, zmq::context_t& context, const std::string& prefix,
                       int lastPhoneHost) {
    zmq::socket_t scan(context, zmq::socket_type::sub);
    // The subscriptions queued for hosts that never answer must not be kept.
    SetLinger(scan, std::chrono::milliseconds(0));
    // A pipe only once a host has answered: otherwise the library keeps two
    // message queues for every pending connect, 8 MB for the 254 of an idle scan.
    scan.set(zmq::sockopt::immediate, 1);
    SetMaxMessageSize(scan, kMaxTextMessage);
    for (int host = 1; host <= 254; ++host)
        ConnectHost(scan, link, BeaconEndpoint(link, prefix, host), host == lastPhoneHost);
    return scan;
}

// After a connection has ended: when it was another phone's than the one the
// scan follows, the scan's connect to the new one's host is made again with
// the short interval, and the old one's with the long.
void FollowLastPhone(zmq::socket_t& scan, const LinkContext& link, const std::string& prefix,
                     int& followedHost) {
    const int host = HostOnNetwork(link.state.LastPhoneAddress(), prefix);
    if (host == 0 || host == followedHost) return;
    const auto remake = [&](int h, bool lastPhone) {
        const std::string endpoint = BeaconEndpoint(link, prefix, h);
        try {
            scan.disconnect(endpoint);
        } catch (const zmq::error_t& e) {
            if (IsTerminated(e)) throw;  // otherwise it was not connected: connect it now
        }
        ConnectHost(scan, link, endpoint, lastPhone);
    };
    if (followedHost != 0) remake(followedHost, false);
    remake(host, true);
    followedHost = host;
}

struct Beacon {
    std::string endpoint;  // where the phone takes the detection request
    std::string observed;  // the host the beacon came from
};

// One beacon: the phone's detection endpoint, or nothing. Only a paired
// phone's beacon is taken, naming an endpoint on the host it came from, so
// that no device can make the PC connect to any other host, nor get itself
// connected without having paired.
std::optional<Beacon> ReceiveBeacon(const LinkContext& link, zmq::socket_t& scan,
                                    const std::string& prefix) {
    auto beacon = RecvText(scan, kBeaconBuffer);
    if (beacon && beacon->more) DiscardRestOfMessage(scan);
    if (!beacon || beacon->cut || !IsEndpointInNetwork(beacon->text, prefix)) return std::nullopt;
    const std::string_view host = std::string_view(beacon->text).substr(0, beacon->text.rfind(':'));
    if (host != beacon->peer || !IsPairedAddress(link, beacon->peer)) return std::nullopt;
    return Beacon{std::move(beacon->text), std::move(beacon->peer)};
}

// Beacons that queued up while a phone was connected are old news.
void DropQueuedBeacons(zmq::socket_t& scan) {
    zmq::message_t part;
    while (scan.recv(part, zmq::recv_flags::dontwait)) {
    }
}

// Offers the PC to the phone behind the beacon and takes its answer.
void Handshake(LinkContext& link, zmq::context_t& context, const Beacon& beacon,
               const std::string& pcId) {
    zmq::socket_t dealer(context, zmq::socket_type::dealer);
    // A phone that never takes the request must not hold the worker up.
    SetLinger(dealer, std::chrono::milliseconds(0));
    SetIdentity(dealer, kw::kPcDetect);
    SetMaxMessageSize(dealer, kMaxTextMessage);
    if (!ConnectTo(dealer, beacon.endpoint)) return;

    const std::string monitor = link.BuildMonitorEndpoint();
    const std::string backup = link.BuildBackupEndpoint();
    const std::string_view status =
        link.state.IsDisconnectRequested() ? kw::kDisconnected : kw::kConnected;
    SendTexts(dealer, {pcId, monitor, status, backup});

    if (WaitForInput(dealer, link.timing.detectionReply) != PollOutcome::Input) return;
    const auto reply = RecvTextMessage(dealer, kReplyBuffers);
    if (!reply || !AllNonEmpty(*reply)) return;

    const auto& frames = *reply;
    // Only the phone paired at that address answers for it.
    if (!IsPairedPhoneAt(link, frames[1].text, beacon.observed)) return;
    if (frames[3].text == kw::kConnected && !link.state.IsDisconnectRequested()) {
        if (!link.state.IsConnected()) {
            NoteDeclaredAddress(link, frames[0].text, frames[2].text, beacon.observed);
            link.state.SetConnectionState(true, frames[0].text, frames[1].text, beacon.observed);
            link.folders.PrepareBackupFolders(1024);
        }
    } else if (link.state.IsConnected()) {
        link.state.SetConnectionState(false, "", "", "");
    }
}

void Detect(LinkContext& link) {
    LinkContextHandle context(link.stop);
    const std::string prefix = NetworkPrefix(GetLocalIPv4());
    std::string pcId;
    CSettingsStore(link.clock).GetPcId(pcId);

    // One scan for the life of the loop: its 254 connects are made once.
    int followedHost = HostOnNetwork(link.state.LastPhoneAddress(), prefix);
    zmq::socket_t scan = OpenScan(link, context, prefix, followedHost);
    while (true) {
        if (link.state.IsConnected()) {
            while (link.state.IsConnected())
                if (!link.stop.SleepFor(link.timing.detectionIdle)) return;
            DropQueuedBeacons(scan);
            FollowLastPhone(scan, link, prefix, followedHost);
        }
        const auto beacon = ReceiveBeacon(link, scan, prefix);
        if (beacon) Handshake(link, context, *beacon, pcId);
    }
}

}  // namespace

void PhoneDetectionThread(LinkContext& link) {
    RunLinkWorker(link.stop, [&] { Detect(link); });
}

}  // namespace harbrook
