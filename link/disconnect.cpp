// The two ends of a disconnect: the phone's "Disconnected" notice, taken on
// the notice port from the phone's own address only, and the user's
// disconnect, sent to the phone's recorded address.
#include <array>
#include <cstdio>
#include <string>

#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/phone_trust.h"
#include "link/worker_support.h"

namespace harbrook {
namespace {

constexpr std::size_t kNoticeBuffer = 50;
constexpr std::size_t kAnswerBuffer = 20;

void MarkDisconnectRequested(LinkContext& link) {
    link.state.SetDisconnectRequested(true);
    link.state.SetConnectionState(false, "", "", "");
}

void ListenForNotices(LinkContext& link) {
    LinkContextHandle context(link.stop);
    while (true) {
        // A fresh socket per notice: the PC never answers, it replaces the socket.
        zmq::socket_t socket(context, zmq::socket_type::rep);
        SetLinger(socket, std::chrono::milliseconds(0));
        SetMaxMessageSize(socket, kMaxTextMessage);
        // The port is taken by someone else: notices are not received, quietly.
        if (!BindPortPatiently(socket, link.ports.disconnectNotice, link.stop)) return;
        auto notice = RecvText(socket, kNoticeBuffer);
        // Only the phone may say it has gone; anyone else's notice is dropped.
        if (notice && notice->text == kw::kDisconnected && IsFromThePhone(link, notice->peer))
            MarkDisconnectRequested(link);
    }
}

}  // namespace

void DisconnectListenerThread(LinkContext& link) {
    RunLinkWorker(link.stop, [&] { ListenForNotices(link); });
}

void DisconnectThread(LinkContext& link) {
    const std::string address = link.state.PhoneAddress();
    // The PC is disconnected before, and whatever, the phone hears of it.
    MarkDisconnectRequested(link);

    char peer[100];
    std::snprintf(peer, sizeof peer, "%s:%d", address.c_str(), link.ports.userDisconnect);
    if (!IsValidEndpointText(peer)) return;  // no address: nothing to tell
    try {
        LinkContextHandle context(link.stop);
        zmq::socket_t socket(context, zmq::socket_type::req);
        // The answer is awaited below; an unsent message is not kept beyond that,
        // so a phone that cannot be reached never holds this thread.
        SetLinger(socket, std::chrono::milliseconds(0));
        SetMaxMessageSize(socket, kMaxTextMessage);
        if (ConnectTo(socket, peer) && SendText(socket, kw::kDisconnected)) {
            if (PollIn(socket, link.timing.disconnectReply)) RecvText(socket, kAnswerBuffer);
        }
    } catch (const zmq::error_t&) {
        // Stopped, or the library failed: the local disconnect is done all the same.
    }
}

}  // namespace harbrook
