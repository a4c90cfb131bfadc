#include "tools/phone/phone_link.h"

#include <zmq.hpp>

#include "link/frames.h"
#include "link/keywords.h"

namespace harbrook::phone {
namespace {

zmq::context_t& Context() {
    static zmq::context_t context;
    return context;
}

zmq::socket_t Dealer(const std::string& routingId, milliseconds timeout) {
    zmq::socket_t s(Context(), zmq::socket_type::dealer);
    s.set(zmq::sockopt::linger, 0);
    SetIdentity(s, routingId);
    SetReceiveTimeout(s, timeout);
    return s;
}

// The whole message as raw frames (bounded by the socket's limit).
std::optional<std::vector<std::string>> RecvAll(zmq::socket_t& s) {
    std::vector<std::string> frames;
    do {
        zmq::message_t m;
        try {
            if (!s.recv(m)) return std::nullopt;
        } catch (const zmq::error_t&) {
            return std::nullopt;
        }
        frames.emplace_back(static_cast<const char*>(m.data()), m.size());
    } while (s.get(zmq::sockopt::rcvmore));
    return frames;
}

}  // namespace

std::optional<PairingReply> Pair(const std::string& pairingEndpoint, const PhoneIdentity& phone,
                                 milliseconds timeout) {
    zmq::socket_t s = Dealer(phone.routingId, timeout);
    if (!ConnectTo(s, pairingEndpoint)) return std::nullopt;
    SendText(s, phone.name, true);
    SendText(s, phone.id, true);
    SendText(s, phone.address, false);
    const auto frames = RecvAll(s);
    if (!frames || frames->size() != 4) return std::nullopt;
    PairingReply reply;
    reply.frames = frames->size();
    reply.pcId = (*frames)[0];
    reply.monitorEndpoint = (*frames)[1];
    reply.computerNameFrame = (*frames)[2];
    reply.backupEndpoint = (*frames)[3];
    return reply;
}

std::optional<HeartbeatAnswer> Heartbeat(const std::string& monitorEndpoint,
                                         const PhoneIdentity& phone, const std::string& status,
                                         milliseconds timeout) {
    zmq::socket_t s = Dealer(phone.routingId, timeout);
    if (!ConnectTo(s, monitorEndpoint)) return std::nullopt;
    SendText(s, phone.name, true);
    SendText(s, phone.id, true);
    SendText(s, phone.address, true);
    SendText(s, status, false);
    const auto frames = RecvAll(s);
    if (!frames || frames->size() != 2) return std::nullopt;
    return HeartbeatAnswer{(*frames)[0], (*frames)[1]};
}

bool SendDisconnectNotice(const std::string& pcNoticeEndpoint, const std::string& text) {
    zmq::socket_t s(Context(), zmq::socket_type::req);
    s.set(zmq::sockopt::linger, 2000);  // the PC never answers; give the notice time to leave
    if (!ConnectTo(s, pcNoticeEndpoint)) return false;
    return SendText(s, text);
}

BeaconResponder::BeaconResponder(PhoneIdentity phone, int beaconPort, int detectPort,
                                 std::string answerStatus, milliseconds beaconInterval)
    : m_phone(std::move(phone)),
      m_beaconPort(beaconPort),
      m_detectPort(detectPort),
      m_answerStatus(std::move(answerStatus)),
      m_interval(beaconInterval),
      m_thread([this] { Run(); }) {}

BeaconResponder::~BeaconResponder() {
    m_stop = true;
    m_thread.join();
}

std::vector<DetectionRequest> BeaconResponder::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void BeaconResponder::Run() {
    try {
        zmq::socket_t pub(Context(), zmq::socket_type::pub);
        zmq::socket_t router(Context(), zmq::socket_type::router);
        pub.set(zmq::sockopt::linger, 0);
        router.set(zmq::sockopt::linger, 0);
        pub.bind("tcp://" + m_phone.address + ":" + std::to_string(m_beaconPort));
        router.bind("tcp://" + m_phone.address + ":" + std::to_string(m_detectPort));
        m_started = true;
        const std::string beacon = m_phone.address + ":" + std::to_string(m_detectPort);
        while (!m_stop) {
            SendText(pub, beacon);
            if (!PollIn(router, m_interval)) continue;
            const auto frames = RecvAll(router);
            if (!frames || frames->size() != 5) continue;
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(
                    {(*frames)[0], (*frames)[1], (*frames)[2], (*frames)[3], (*frames)[4]});
            }
            SendText(router, (*frames)[0], true);
            SendText(router, m_phone.name, true);
            SendText(router, m_phone.id, true);
            SendText(router, m_phone.address, true);
            SendText(router, m_answerStatus, false);
        }
    } catch (const zmq::error_t&) {
    }
}

DisconnectReceiver::DisconnectReceiver(std::string address, int port)
    : m_address(std::move(address)), m_port(port), m_thread([this] { Run(); }) {}

DisconnectReceiver::~DisconnectReceiver() {
    m_stop = true;
    m_thread.join();
}

std::vector<std::string> DisconnectReceiver::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void DisconnectReceiver::Run() {
    try {
        zmq::socket_t rep(Context(), zmq::socket_type::rep);
        rep.set(zmq::sockopt::linger, 0);
        rep.bind("tcp://" + m_address + ":" + std::to_string(m_port));
        m_started = true;
        while (!m_stop) {
            if (!PollIn(rep, milliseconds(100))) continue;
            const auto frames = RecvAll(rep);
            if (!frames) continue;
            {
                std::lock_guard lock(m_mutex);
                m_received.push_back(frames->empty() ? std::string() : frames->front());
            }
            SendText(rep, "ok");
        }
    } catch (const zmq::error_t&) {
    }
}

}  // namespace harbrook::phone
