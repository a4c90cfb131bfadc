// The connection monitor: while a phone is marked connected, answers its
// heartbeat on the monitor port, one heartbeat per socket; the fourth silent
// window in a row (about 80 s with the usual 20 s windows) marks it
// disconnected, and so does a heartbeat that does not match the connected phone.
#include <array>
#include <string>

#include "core/settings_store.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
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

void AnswerHeartbeat(LinkContext& link, zmq::socket_t& socket, const std::string& pcId) {
    const auto frames = RecvTextMessage(socket, kHeartbeatBuffers);
    if (!frames || !AllNonEmpty(*frames)) return;  // malformed: no answer, no change
    const std::string& routingId = (*frames)[0].text;
    const std::string& name = (*frames)[1].text;
    // Cut as the connected phone's identity was kept, so that a long one
    // still matches.
    const std::string_view id = ConnectionState::KeptText((*frames)[2].text);
    const std::string& address = (*frames)[3].text;
    const std::string& status = (*frames)[4].text;

    const std::string_view answer =
        link.state.IsDisconnectRequested() ? kw::kDisconnected : kw::kConnected;
    SendTexts(socket, {routingId, answer, pcId});

    std::string connectedId;
    link.state.GetConnectedPhoneId(connectedId);
    if (answer == kw::kConnected && status == kw::kConnected && id == connectedId) {
        if (!link.state.IsConnected()) link.state.SetConnectionState(true, name, id, address);
    } else if (link.state.IsConnected()) {
        link.state.SetConnectionState(false, "", "", "");
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
        SetLinger(socket, link.timing.monitorLinger);
        SetMaxMessageSize(socket, kMaxTextMessage);
        if (!BindPortPatiently(socket, link.monitorPort.load(), link.stop)) {
            socket.close();
            if (!link.stop.SleepFor(link.timing.monitorBindRetry)) return;
            continue;
        }
        switch (WaitForInput(socket, link.timing.monitorWindow)) {
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
            case PollOutcome::Input:
                misses = link.timing.monitorMisses;
                AnswerHeartbeat(link, socket, pcId);
                break;
        }
    }
}

}  // namespace

void ConnectionMonitorThread(LinkContext& link) {
    RunLinkWorker(link.stop, [&] { Monitor(link); });
}

}  // namespace harbrook
