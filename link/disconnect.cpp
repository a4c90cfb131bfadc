#include <thread>

#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/link_worker.h"

namespace harbrook {
namespace {

// Binds the notice port. A socket just closed may still hold the port for a
// moment in the library's background, so a few quick retries come first.
bool BindNoticePort(LinkContext& link, zmq::socket_t& socket) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (BindPort(socket, link.ports.disconnectNotice)) return true;
        if (!link.stop.SleepFor(std::chrono::milliseconds(50))) return false;
    }
    return false;
}

}  // namespace

void DisconnectListenerThread(LinkContext& link) {
    try {
        LinkContextHandle context(link.stop);
        RunWorker(link, [&] {
            zmq::socket_t socket(context, zmq::socket_type::rep);
            socket.set(zmq::sockopt::linger, 0);
            SetMaxMessageSize(socket, kMaxTextMessage);
            if (!BindNoticePort(link, socket)) return false;  // port taken: end quietly
            const auto notice = RecvText(socket, 50);
            if (notice && notice->text == kw::kDisconnected) {
                link.state.SetDisconnectRequested(true);
                link.state.SetConnectionState(false, "", "", "");
            }
            // The notice is never answered: the socket is replaced instead.
            return true;
        });
    } catch (const zmq::error_t&) {
    }
}

void DisconnectThread(LinkContext& link) {
    try {
        LinkContextHandle context(link.stop);
        zmq::socket_t socket(context, zmq::socket_type::req);
        // An unreachable phone must not keep the thread: drop the notice after the reply wait.
        SetLinger(socket, link.timing.disconnectReply);
        SetMaxMessageSize(socket, kMaxTextMessage);
        const std::string address = link.state.PhoneAddress();
        link.state.SetDisconnectRequested(true);
        link.state.SetConnectionState(false, "", "", "");
        char peer[100];
        std::snprintf(peer, sizeof peer, "%s:%d", address.c_str(), link.ports.userDisconnect);
        if (!IsValidEndpointText(peer)) return;
        if (ConnectTo(socket, peer) && SendText(socket, kw::kDisconnected)) {
            if (PollIn(socket, link.timing.disconnectReply)) RecvText(socket, 20);
        }
    } catch (const zmq::error_t&) {
    }
}

}  // namespace harbrook
