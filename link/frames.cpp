#include "link/frames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace harbrook {
namespace {

// Turns library errors into failures, except the shutdown of the context,
// which must reach the worker's loop.
template <typename F>
auto Guard(F&& f, decltype(f()) failure) -> decltype(f()) {
    try {
        return f();
    } catch (const zmq::error_t& e) {
        if (IsTerminated(e)) throw;
        return failure;
    }
}

}  // namespace

bool IsTerminated(const zmq::error_t& e) {
    return e.num() == ETERM;
}

std::optional<TextFrame> RecvText(zmq::socket_t& socket, std::size_t bufferSize) {
    std::string buffer(bufferSize, '\0');
    auto frame = RecvBinary(socket, std::span<char>(buffer.data(), buffer.size()));
    if (!frame) return std::nullopt;
    TextFrame out;
    out.more = frame->more;
    out.longer = frame->cut;
    out.peer = std::move(frame->peer);
    const std::size_t zero = std::string_view(buffer.data(), frame->size).find('\0');
    if (zero != std::string_view::npos) {
        buffer.resize(zero);
    } else {
        buffer.resize(frame->size);
        out.cut = frame->size == bufferSize;  // no room was left for a terminator
    }
    out.text = std::move(buffer);
    return out;
}

std::optional<BinaryFrame> RecvBinary(zmq::socket_t& socket, std::span<char> buffer) {
    return Guard(
        [&]() -> std::optional<BinaryFrame> {
            // A message rather than a bare buffer, so that the peer's address
            // travels with the bytes; the library already bounds its size.
            zmq::message_t message;
            if (!socket.recv(message)) return std::nullopt;  // time-out
            BinaryFrame frame;
            frame.size = std::min(message.size(), buffer.size());
            if (frame.size > 0) std::memcpy(buffer.data(), message.data(), frame.size);
            frame.cut = message.size() > buffer.size();
            frame.more = message.more();
            frame.peer = PeerAddressOf(message);
            return frame;
        },
        std::nullopt);
}

std::string PeerAddressOf(const zmq::message_t& message) {
    const char* value = zmq_msg_gets(message.handle(), "Peer-Address");
    if (value == nullptr) return {};
    std::string_view address(value);
    constexpr std::string_view kMappedIpv4 = "::ffff:";
    if (address.starts_with(kMappedIpv4)) address.remove_prefix(kMappedIpv4.size());
    return std::string(address);
}

bool RecvFrame(zmq::socket_t& socket, zmq::message_t& message) {
    return Guard([&] { return socket.recv(message).has_value(); }, false);
}

bool SendBytes(zmq::socket_t& socket, std::span<const char> bytes, bool more) {
    return Guard(
        [&] {
            const auto flags = more ? zmq::send_flags::sndmore : zmq::send_flags::none;
            return socket.send(zmq::const_buffer(bytes.data(), bytes.size()), flags).has_value();
        },
        false);
}

bool SendText(zmq::socket_t& socket, std::string_view text, bool more) {
    return SendBytes(socket, std::span<const char>(text.data(), text.size()), more);
}

void DiscardRestOfMessage(zmq::socket_t& socket) {
    Guard(
        [&] {
            while (socket.get(zmq::sockopt::rcvmore) != 0) {
                zmq::message_t part;
                if (!socket.recv(part, zmq::recv_flags::dontwait)) break;
            }
            return true;
        },
        false);
}

void SetLinger(zmq::socket_t& socket, std::chrono::milliseconds ms) {
    socket.set(zmq::sockopt::linger, static_cast<int>(ms.count()));
}

void SetReceiveTimeout(zmq::socket_t& socket, std::chrono::milliseconds ms) {
    socket.set(zmq::sockopt::rcvtimeo, static_cast<int>(ms.count()));
}

void SetIdentity(zmq::socket_t& socket, std::string_view identity) {
    socket.set(zmq::sockopt::routing_id, zmq::buffer(identity.data(), identity.size()));
}

void SetMaxMessageSize(zmq::socket_t& socket, std::int64_t bytes) {
    socket.set(zmq::sockopt::maxmsgsize, bytes);
}

bool PollIn(zmq::socket_t& socket, std::chrono::milliseconds timeout) {
    return WaitForInput(socket, timeout) == PollOutcome::Input;
}

PollOutcome WaitForInput(zmq::socket_t& socket, std::chrono::milliseconds timeout) {
    return Guard(
        [&] {
            zmq::pollitem_t item{socket.handle(), 0, ZMQ_POLLIN, 0};
            if (zmq::poll(&item, 1, timeout) > 0 && (item.revents & ZMQ_POLLIN))
                return PollOutcome::Input;
            return PollOutcome::TimedOut;
        },
        PollOutcome::Failed);
}

std::optional<std::vector<TextFrame>> RecvTextMessage(zmq::socket_t& socket,
                                                      std::span<const std::size_t> bufferSizes) {
    std::vector<TextFrame> frames;
    frames.reserve(bufferSizes.size());
    for (std::size_t i = 0; i < bufferSizes.size(); ++i) {
        auto frame = RecvText(socket, bufferSizes[i]);
        if (!frame) return std::nullopt;
        const bool last = i + 1 == bufferSizes.size();
        if (!frame->more && !last) return std::nullopt;  // too few frames: the message is over
        frames.push_back(std::move(*frame));
    }
    if (!frames.empty() && frames.back().more) DiscardRestOfMessage(socket);
    return frames;
}

bool AllNonEmpty(const std::vector<TextFrame>& frames) {
    for (const TextFrame& frame : frames)
        if (frame.text.empty()) return false;
    return true;
}

bool SendTexts(zmq::socket_t& socket, std::initializer_list<std::string_view> frames) {
    std::size_t left = frames.size();
    for (std::string_view frame : frames)
        if (!SendText(socket, frame, --left > 0)) return false;
    return true;
}

void SetReconnectInterval(zmq::socket_t& socket, std::chrono::milliseconds first,
                          std::chrono::milliseconds max) {
    if (first.count() > 0) socket.set(zmq::sockopt::reconnect_ivl, static_cast<int>(first.count()));
    if (max.count() > 0) socket.set(zmq::sockopt::reconnect_ivl_max, static_cast<int>(max.count()));
}

bool BindPort(zmq::socket_t& socket, int port) {
    char endpoint[100];
    std::snprintf(endpoint, sizeof endpoint, "tcp://*:%d", port);
    return Guard(
        [&] {
            socket.bind(endpoint);
            return true;
        },
        false);
}

int BindFirstFree(zmq::socket_t& socket, const PortList& ports) {
    for (int port : ports)
        if (BindPort(socket, port)) return port;
    return 0;
}

bool ConnectTo(zmq::socket_t& socket, std::string_view addressAndPort) {
    char endpoint[100];
    std::snprintf(endpoint, sizeof endpoint, "tcp://%.*s", static_cast<int>(addressAndPort.size()),
                  addressAndPort.data());
    return Guard(
        [&] {
            socket.connect(endpoint);
            return true;
        },
        false);
}

}  // namespace harbrook
