// The phone's listener for the user's disconnect and its heartbeat sender.
#include <condition_variable>
#include <zmq.hpp>

#include "link/frames.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::phone {

DisconnectListener::DisconnectListener(PhoneProfile phone, EventSink events)
    : m_phone(std::move(phone)), m_events(std::move(events)) {}

DisconnectListener::~DisconnectListener() {
    Stop();
}

bool DisconnectListener::Start() {
    m_bound = 0;
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
    m_bound.wait(0);
    return m_bound.load() == 1;
}

void DisconnectListener::Stop() {
    m_thread.request_stop();
    if (m_thread.joinable()) m_thread.join();
}

std::vector<std::string> DisconnectListener::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void DisconnectListener::Run(std::stop_token stop) {
    zmq::context_t context;
    zmq::socket_t socket(context, zmq::socket_type::rep);
    SetLinger(socket, milliseconds(0));
    SetMaxMessageSize(socket, kMaxTextMessage);
    try {
        socket.bind(Tcp(m_phone.address + ":" + std::to_string(m_phone.userDisconnectPort)));
    } catch (const zmq::error_t&) {
        m_bound = -1;
        m_bound.notify_all();
        return;
    }
    m_bound = 1;
    m_bound.notify_all();
    while (!stop.stop_requested()) {
        if (!PollIn(socket, milliseconds(50))) continue;
        std::string joined;
        zmq::message_t part;
        do {
            if (!socket.recv(part, zmq::recv_flags::dontwait)) break;
            if (!joined.empty()) joined += '|';
            joined += part.to_string();
        } while (part.more());
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(joined);
        }
        SendText(socket, "OK");
        if (m_events) m_events("the PC disconnected: " + joined);
    }
}

HeartbeatService::HeartbeatService(PhoneProfile phone, std::string monitorEndpoint,
                                   milliseconds interval, EventSink events)
    : m_phone(std::move(phone)),
      m_monitor(std::move(monitorEndpoint)),
      m_interval(interval),
      m_events(std::move(events)) {}

HeartbeatService::~HeartbeatService() {
    Stop();
}

void HeartbeatService::Start() {
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void HeartbeatService::Stop() {
    m_thread.request_stop();
    if (m_thread.joinable()) m_thread.join();
}

void HeartbeatService::SetStatus(std::string status) {
    std::lock_guard lock(m_mutex);
    m_status = std::move(status);
}

std::string HeartbeatService::LastStatus() const {
    std::lock_guard lock(m_mutex);
    return m_lastAnswer;
}

void HeartbeatService::Run(std::stop_token stop) {
    // Long enough for the PC to rebind its monitor socket between heartbeats,
    // short enough that a stop is prompt.
    const milliseconds patience = std::clamp(m_interval, milliseconds(500), milliseconds(3000));
    std::mutex pauseMutex;
    std::condition_variable_any pause;
    while (!stop.stop_requested()) {
        std::string status;
        {
            std::lock_guard lock(m_mutex);
            status = m_status;
        }
        const auto answer = SendHeartbeat(m_phone, m_monitor, status, patience);
        if (answer) {
            ++m_answered;
            std::lock_guard lock(m_mutex);
            m_lastAnswer = answer->status;
        } else {
            ++m_missed;
        }
        if (m_events)
            m_events(answer ? "heartbeat answered " + answer->status : "heartbeat not answered");
        std::unique_lock lock(pauseMutex);
        pause.wait_for(lock, stop, m_interval, [] { return false; });
    }
}

}  // namespace harbrook::phone
