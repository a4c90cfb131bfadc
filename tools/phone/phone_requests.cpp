#include "tools/phone/phone_requests.h"

#include <atomic>
#include <zmq.hpp>

#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"

namespace harbrook::phone {
namespace {

// Receives a whole message within the time-out, frames as raw bytes.
std::optional<std::vector<std::string>> ReceiveMessage(zmq::socket_t& socket,
                                                       milliseconds timeout) {
    if (!PollIn(socket, timeout)) return std::nullopt;
    std::vector<std::string> frames;
    zmq::message_t part;
    do {
        if (!socket.recv(part, zmq::recv_flags::dontwait)) return std::nullopt;
        frames.emplace_back(part.to_string());
    } while (part.more());
    return frames;
}

// Each socket gets an identity of its own (the profile's, a dot and a
// number): a ROUTER turns away a connection whose identity it still holds for
// an earlier one, and the PC may not yet have seen the last socket go.
std::string NextRoutingId(const std::string& base) {
    static std::atomic<unsigned> counter{0};
    const std::string suffix = "." + std::to_string(counter++ % 1000);
    return base.substr(0, kMaxRoutingId - suffix.size()) + suffix;
}

zmq::socket_t Dealer(zmq::context_t& context, const PhoneProfile& phone) {
    zmq::socket_t socket(context, zmq::socket_type::dealer);
    SetIdentity(socket, NextRoutingId(phone.routingId));
    SetLinger(socket, milliseconds(0));
    SetMaxMessageSize(socket, kMaxTextMessage);
    return socket;
}

std::string Frame(const std::vector<std::string>& frames, std::size_t i) {
    return i < frames.size() ? frames[i] : std::string();
}

}  // namespace

std::optional<std::string> ParsePcEndpoint(std::string_view text) {
    if (text.starts_with("tcp://")) text.remove_prefix(6);
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon + 1 == text.size()) return std::nullopt;
    for (char c : text.substr(colon + 1))
        if (c < '0' || c > '9') return std::nullopt;
    if (!IsDottedIPv4(text.substr(0, colon))) return std::nullopt;
    return std::string(text);
}

std::optional<PairingReply> Pair(const PhoneProfile& phone, std::string_view qrText,
                                 milliseconds timeout) {
    const auto endpoint = ParsePcEndpoint(qrText);
    if (!endpoint) return std::nullopt;
    try {
        zmq::context_t context;
        zmq::socket_t socket = Dealer(context, phone);
        socket.connect(TcpFrom(phone, *endpoint));
        SendTexts(socket, {phone.name, phone.id, phone.address});
        auto frames = ReceiveMessage(socket, timeout);
        if (!frames) return std::nullopt;
        PairingReply reply;
        reply.frames = std::move(*frames);
        reply.pcId = Frame(reply.frames, 0);
        reply.monitorEndpoint = Frame(reply.frames, 1);
        reply.computerName = Frame(reply.frames, 2);
        reply.backupEndpoint = Frame(reply.frames, 3);
        reply.computerNameTerminated =
            !reply.computerName.empty() && reply.computerName.back() == '\0';
        if (reply.computerNameTerminated) reply.computerName.pop_back();
        return reply;
    } catch (const zmq::error_t&) {
        return std::nullopt;
    }
}

std::optional<HeartbeatAnswer> SendHeartbeat(const PhoneProfile& phone,
                                             std::string_view monitorEndpoint,
                                             std::string_view status, milliseconds timeout) {
    const auto endpoint = ParsePcEndpoint(monitorEndpoint);
    if (!endpoint) return std::nullopt;
    // The PC takes one heartbeat per socket and replaces the socket after each
    // heartbeat and each silent window; a heartbeat that meets the old socket
    // in its last moment is lost. The answer is otherwise immediate, so the
    // phone soon tries again on a fresh socket, while its time lasts.
    constexpr milliseconds kHeartbeatRetry(250);
    const auto until = std::chrono::steady_clock::now() + timeout;
    try {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<milliseconds>(until - std::chrono::steady_clock::now());
            if (left <= milliseconds(0)) return std::nullopt;
            zmq::context_t context;
            zmq::socket_t socket = Dealer(context, phone);
            socket.connect(TcpFrom(phone, *endpoint));
            SendTexts(socket, {phone.name, phone.id, phone.address, status});
            auto frames = ReceiveMessage(socket, std::min(left, kHeartbeatRetry));
            if (!frames) continue;
            HeartbeatAnswer answer;
            answer.frames = std::move(*frames);
            answer.status = Frame(answer.frames, 0);
            answer.pcId = Frame(answer.frames, 1);
            return answer;
        }
    } catch (const zmq::error_t&) {
        return std::nullopt;
    }
}

bool SendDisconnectNotice(const PhoneProfile& phone, std::string_view pcAddress,
                          milliseconds timeout) {
    if (!IsDottedIPv4(pcAddress)) return false;
    try {
        zmq::context_t context;
        zmq::socket_t socket(context, zmq::socket_type::req);
        // Queue only on a connection that is up, and wait for one at most this
        // long; closing then waits until the notice has left, at most as long.
        socket.set(zmq::sockopt::immediate, 1);
        socket.set(zmq::sockopt::sndtimeo, static_cast<int>(timeout.count()));
        SetLinger(socket, timeout);
        socket.connect(
            TcpFrom(phone, std::string(pcAddress) + ":" + std::to_string(phone.noticePort)));
        // The PC never answers; a connection that took the message is all we learn.
        return SendText(socket, kw::kDisconnected);
    } catch (const zmq::error_t&) {
        return false;
    }
}

}  // namespace harbrook::phone
