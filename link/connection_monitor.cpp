// The connection monitor: while a phone is marked connected, answers its
// heartbeat on the monitor port, one heartbeat per socket; the fourth silent
// window in a row (about 80 s with the usual 20 s windows) marks it
// disconnected, and so does a heartbeat of another paired phone. Heartbeats
// from anyone else are dropped unanswered.
#include <algorithm>
#include <array>
#include <chrono>
#include <string>

#include "core/settings_store.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/phone_trust.h"
#include "link/worker_support.h"

namespace harbrook {
namespace {

// Routing identity, name, identity, address, the phone's status word.
constexpr std::array<std::size_t, 5> kHeartbeatBuffers{20, 100, 100, 100, 100};

// Records the first monitor port that can be bound; the field stays 0 when
// none can (the endpoint builder then hands out the first of the list).
void ProbeMonitorPort(LinkContext& link, zmq::context_t& context) {
    zmq::socket_t probe(context, zmq::socket_type::router);
    SetLinger(probe, std::chrono::milliseconds(0));
    if (const int port = BindFirstFree(probe, link.ports.monitor); port != 0)
        link.monitorPort.store(port);
}

// Waits while no phone is connected. False on a stop.
bool WaitUntilConnected(LinkContext& link) {
    while (!link.state.IsConnected())
        if (!link.stop.SleepFor(link.timing.connectedCheck)) return false;
    return true;
}

// Only the phone may speak for the phone: a heartbeat in the connected
// phone's identity must come from its address, and any other identity must be
// a paired phone at the address its pairing came from (that one takes over,
// as the protocol has it). Anything else is dropped unanswered.
bool MaySpeak(const LinkContext& link, std::string_view id, const std::string& observed,
              const std::string& connectedId) {
    if (id == connectedId) return !observed.empty() && observed == link.state.PhoneAddress();
    return IsPairedPhoneAt(link, id, observed);
}

// Answers one heartbeat. False when it was dropped: malformed, or from
// someone who may not speak for the phone.
bool AnswerHeartbeat(LinkContext& link, zmq::socket_t& socket, const std::string& pcId) {
    const auto frames = RecvTextMessage(socket, kHeartbeatBuffers);
    if (!frames || !AllNonEmpty(*frames)) return false;  // malformed: no answer, no change
    const std::string& routingId = (*frames)[0].text;
    const std::string observed = ObservedAddress(*frames);
    const std::string& name = (*frames)[1].text;
    // Cut as the connected phone's identity was kept, so that a long one
    // still matches.
    const std::string_view id = ConnectionState::KeptText((*frames)[2].text);
    const std::string& status = (*frames)[4].text;

    std::string connectedId;
    link.state.GetConnectedPhoneId(connectedId);
    if (!MaySpeak(link, id, observed, connectedId)) return false;

    const std::string_view answer =
        link.state.IsDisconnectRequested() ? kw::kDisconnected : kw::kConnected;
    SendTexts(socket, {routingId, answer, pcId});

    if (answer == kw::kConnected && status == kw::kConnected && id == connectedId) {
        if (!link.state.IsConnected()) link.state.SetConnectionState(true, name, id, observed);
    } else if (link.state.IsConnected()) {
        link.state.SetConnectionState(false, "", "", "");
    }
    return true;
}

// Waits out one heartbeat window on the socket. Dropped heartbeats do not end
// it: a stranger's chatter must neither keep a silent phone connected nor
// count against a phone that speaks.
PollOutcome AwaitHeartbeat(LinkContext& link, zmq::socket_t& socket, const std::string& pcId) {
    const auto end = std::chrono::steady_clock::now() + link.timing.monitorWindow;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        const PollOutcome outcome =
            WaitForInput(socket, std::max(left, std::chrono::milliseconds(0)));
        if (outcome != PollOutcome::Input || AnswerHeartbeat(link, socket, pcId)) return outcome;
    }
}

void Monitor(LinkContext& link) {
    LinkContextHandle context(link.stop);
    ProbeMonitorPort(link, context);
    std::string pcId;
    CSettingsStore(link.clock).GetPcId(pcId);
    int misses = link.timing.monitorMisses;
    std::uint64_t watched = 0;  // the connection the misses count for

    while (WaitUntilConnected(link)) {
        // A new connection starts with every window forgiven, however the
        // one before ended.
        if (link.state.Connections() != watched) {
            watched = link.state.Connections();
            misses = link.timing.monitorMisses;
        }
        zmq::socket_t socket(context, zmq::socket_type::router);
        LingerOnClose linger(socket, link.timing.monitorLinger, link.stop);
        SetMaxMessageSize(socket, kMaxTextMessage);
        if (!BindPortPatiently(socket, link.monitorPort.load(), link.stop)) {
            linger.Close();
            if (!link.stop.SleepFor(link.timing.monitorBindRetry)) return;
            continue;
        }
        switch (AwaitHeartbeat(link, socket, pcId)) {
            case PollOutcome::Failed:
                break;
            case PollOutcome::TimedOut:
                if (link.state.Connections() != watched) break;  // counted for the next one
                if (misses > 0) {
                    --misses;
                } else {
                    misses = link.timing.monitorMisses;
                    if (link.state.IsConnected()) link.state.SetConnectionState(false, "", "", "");
                }
                break;
            case PollOutcome::Input:  // answered
                misses = link.timing.monitorMisses;
                break;
        }
    }
}

}  // namespace

void ConnectionMonitorThread(LinkContext& link) {
    RunLinkWorker(link.stop, [&] { Monitor(link); });
}

}  // namespace harbrook
