#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/link_worker.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

// The texts as the connection state keeps them, so that an identity longer
// than its field still matches the stored (cut) one.
std::string Kept(const std::string& text) {
    return std::string(platform::CutToBytes(text, ConnectionState::kMaxTextBytes));
}

// Finds the first free monitor port once, so the pairing reply can name it.
void ProbeMonitorPort(LinkContext& link, zmq::context_t& context) {
    zmq::socket_t probe(context, zmq::socket_type::router);
    probe.set(zmq::sockopt::linger, 0);
    const int port = BindFirstFree(probe, link.ports.monitor);
    if (port != 0) {
        int expected = 0;
        link.monitorPort.compare_exchange_strong(expected, port);
    }
}

// Waits for one heartbeat window while a phone is connected. `misses` counts
// the silent windows that are still forgiven.
void HeartbeatWindow(LinkContext& link, zmq::context_t& context, const std::string& pcId,
                     int& misses) {
    zmq::socket_t socket(context, zmq::socket_type::router);
    SetMaxMessageSize(socket, kMaxTextMessage);
    int port = link.monitorPort.load();
    if (port == 0) port = link.ports.monitor[0];
    if (!BindPort(socket, port)) {
        socket.close();
        link.stop.SleepFor(link.timing.monitorBindRetry);
        return;
    }
    SetLinger(socket, link.timing.monitorLinger);
    if (!PollIn(socket, link.timing.monitorWindow)) {
        if (misses > 0) {
            --misses;
            return;
        }
        misses = link.timing.monitorMisses;
        if (link.state.IsConnected()) link.state.SetConnectionState(false, "", "", "");
        return;
    }
    misses = link.timing.monitorMisses;
    // Identity, name, phone identity, address, status: all present and non-empty.
    const auto beat = RecvTextMessage(socket, {20, 100, 100, 100, 100}, true);
    if (!beat) return;
    const std::string_view status = StatusWord(link);
    SendText(socket, (*beat)[0], true);
    SendText(socket, status, true);
    SendText(socket, pcId, false);

    std::string connectedId;
    link.state.GetConnectedPhoneId(connectedId);
    const bool matches =
        status == kw::kConnected && (*beat)[4] == kw::kConnected && Kept((*beat)[2]) == connectedId;
    if (matches) {
        if (!link.state.IsConnected())
            link.state.SetConnectionState(true, (*beat)[1], (*beat)[2], (*beat)[3]);
    } else if (link.state.IsConnected()) {
        // A heartbeat from another phone, or one that says it is gone.
        link.state.SetConnectionState(false, "", "", "");
    }
}

}  // namespace

void ConnectionMonitorThread(LinkContext& link) {
    try {
        LinkContextHandle context(link.stop);
        ProbeMonitorPort(link, context);
        const std::string pcId = ReadPcId(200);
        int misses = link.timing.monitorMisses;
        RunWorker(link, [&] {
            while (!link.state.IsConnected())
                if (!link.stop.SleepFor(link.timing.connectedCheck)) return false;
            HeartbeatWindow(link, context, pcId, misses);
            return true;
        });
    } catch (const zmq::error_t&) {
        // The context was shut down while setting up: we are being stopped.
    }
}

}  // namespace harbrook
