#include "bench/wire_loop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "link/frames.h"
#include "link/keywords.h"

namespace harbrook::bench {
namespace {

constexpr std::size_t kChunk = 300000;

std::vector<std::string> ReceiveAll(zmq::socket_t& socket) {
    std::vector<std::string> frames;
    zmq::message_t part;
    do {
        if (!socket.recv(part)) return {};
        frames.emplace_back(part.data<char>(), part.size());
    } while (part.more());
    return frames;
}

}  // namespace

std::uint64_t WireBackupPc(zmq::socket_t& router) {
    std::vector<char> buffer(300010);
    auto total = ReceiveAll(router);  // identity, total
    if (total.size() < 2) return 0;
    const std::string identity = total[0];
    auto say = [&](std::string_view word) {
        SendText(router, identity, true);
        SendText(router, word);
    };
    say(kw::kSufficient);
    std::uint64_t bytes = 0;
    for (;;) {
        const auto offer = ReceiveAll(router);  // identity, name, size, category, state
        if (offer.size() < 5 || offer[4] == kw::kBackingEnd) return bytes;
        for (;;) {
            say(kw::kFetch);
            RecvText(router, 30);
            const auto chunk = RecvBinary(router, buffer);
            if (!chunk || std::string_view(buffer.data(), chunk->size) == kw::kEndMarker) break;
            bytes += chunk->size;
            if (chunk->size < kChunk) break;
        }
        say(kw::kFileEnd);
    }
}

int WireBackupPhone(const std::string& endpoint, const DataSet& set) {
    zmq::context_t context;
    zmq::socket_t socket(context, zmq::socket_type::dealer);
    SetIdentity(socket, "wire-phone");
    SetLinger(socket, std::chrono::milliseconds(2000));
    SetReceiveTimeout(socket, std::chrono::milliseconds(15000));
    if (!ConnectTo(socket, endpoint)) return 1;
    const std::vector<char> data(kChunk, 'w');
    SendText(socket, std::to_string(set.Bytes()));
    if (!RecvText(socket, 64)) return 1;
    const std::string size = std::to_string(set.size);
    for (int i = 0; i < set.count; ++i) {
        SendText(socket, "IMG_" + std::to_string(i) + ".jpg", true);
        SendText(socket, size, true);
        SendText(socket, kw::kCamera, true);
        SendText(socket, "file");
        std::uint64_t sent = 0;
        for (;;) {
            const auto word = RecvText(socket, 64);
            if (!word) return 1;
            if (word->text != kw::kFetch) break;
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, set.size - sent));
            if (n > 0)
                SendBytes(socket, std::span<const char>(data.data(), n));
            else
                SendText(socket, kw::kEndMarker);
            sent += n;
        }
    }
    SendText(socket, "end", true);
    SendText(socket, "1", true);
    SendText(socket, kw::kDocument, true);
    SendText(socket, kw::kBackingEnd);
    return 0;
}

bool WireSendPc(zmq::socket_t& dealer, const DataSet& set) {
    const std::vector<char> data(kChunk, 's');
    SendText(dealer, std::to_string(set.Bytes()));
    const auto answer = RecvText(dealer, 49);
    if (!answer || answer->text != kw::kSufficient) return false;
    for (int i = 0; i < set.count; ++i) {
        SendText(dealer, "IMG_" + std::to_string(i) + ".jpg", true);
        SendText(dealer, kw::kSending);
        std::uint64_t sent = 0;
        for (;;) {
            const auto reply = RecvText(dealer, 49);
            if (!reply) return false;
            if (reply->text == kw::kFileEnd) break;
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, set.size - sent));
            if (n > 0)
                SendBytes(dealer, std::span<const char>(data.data(), n));
            else
                SendText(dealer, kw::kEndMarker);
            sent += n;
        }
    }
    SendText(dealer, kw::kSendEndName, true);
    SendText(dealer, kw::kSendingEnd);
    return true;
}

int WireSendPhone(int port) {
    zmq::context_t context;
    zmq::socket_t socket(context, zmq::socket_type::router);
    SetReceiveTimeout(socket, std::chrono::milliseconds(15000));
    SetLinger(socket, std::chrono::milliseconds(2000));
    if (!BindPort(socket, port)) return 1;
    for (bool total = true;; total = false) {
        const auto message = ReceiveAll(socket);
        if (message.size() < 2) return 1;
        if (message.size() == 3 && message[2] == kw::kSendingEnd) return 0;
        const bool last = message.size() == 2 && message[1] == kw::kEndMarker;
        SendText(socket, message[0], true);
        SendText(socket, total ? kw::kSufficient : last ? kw::kFileEnd : std::string_view("next"));
    }
}

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

}  // namespace harbrook::bench
