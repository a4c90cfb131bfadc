// The phone's beacon and its answers to the PC's detection request.
#include <zmq.hpp>

#include "link/frames.h"
#include "tools/phone/phone_services.h"

namespace harbrook::phone {
namespace {

std::string At(const std::vector<std::string>& frames, std::size_t i) {
    return i < frames.size() ? frames[i] : std::string();
}

// Waits until a service thread has reported whether it could bind.
bool AwaitBound(std::atomic<int>& bound) {
    bound.wait(0);
    return bound.load() == 1;
}

}  // namespace

BeaconService::BeaconService(PhoneProfile phone, milliseconds interval, EventSink events)
    : m_phone(std::move(phone)), m_interval(interval), m_events(std::move(events)) {}

BeaconService::~BeaconService() {
    Stop();
}

bool BeaconService::Start() {
    m_bound = 0;
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
    return AwaitBound(m_bound);
}

void BeaconService::Stop() {
    m_thread.request_stop();
    if (m_thread.joinable()) m_thread.join();
}

void BeaconService::SetAnswer(std::string answer) {
    std::lock_guard lock(m_mutex);
    m_answer = std::move(answer);
}

void BeaconService::SetBeaconText(std::optional<std::string> text) {
    std::lock_guard lock(m_mutex);
    m_beaconText = std::move(text);
}

void BeaconService::SetRawReply(std::optional<std::vector<std::string>> frames) {
    std::lock_guard lock(m_mutex);
    m_rawReply = std::move(frames);
}

std::vector<DetectionRequest> BeaconService::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void BeaconService::Run(std::stop_token stop) {
    zmq::context_t context;
    zmq::socket_t beacon(context, zmq::socket_type::pub);
    zmq::socket_t detect(context, zmq::socket_type::router);
    for (zmq::socket_t* s : {&beacon, &detect}) {
        SetLinger(*s, milliseconds(0));
        SetMaxMessageSize(*s, kMaxTextMessage);
    }
    try {
        beacon.bind(Tcp(m_phone.address + ":" + std::to_string(m_phone.beaconPort)));
        detect.bind(Tcp(m_phone.DetectEndpoint()));
    } catch (const zmq::error_t&) {
        m_bound = -1;
        m_bound.notify_all();
        return;
    }
    m_bound = 1;
    m_bound.notify_all();

    auto nextBeacon = std::chrono::steady_clock::now();
    while (!stop.stop_requested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextBeacon) {
            std::string text;
            {
                std::lock_guard lock(m_mutex);
                text = m_beaconText.value_or(m_phone.DetectEndpoint());
            }
            if (SendText(beacon, text)) ++m_beacons;
            nextBeacon = now + m_interval;
        }
        const auto wait =
            std::min(milliseconds(50),
                     std::chrono::duration_cast<milliseconds>(nextBeacon - now + milliseconds(1)));
        if (!PollIn(detect, wait)) continue;

        std::vector<std::string> frames;
        zmq::message_t part;
        do {
            if (!detect.recv(part, zmq::recv_flags::dontwait)) break;
            frames.emplace_back(part.to_string());
        } while (part.more());
        if (frames.empty()) continue;

        DetectionRequest request;
        request.routingId = frames.front();
        request.frames.assign(frames.begin() + 1, frames.end());
        request.pcId = At(request.frames, 0);
        request.monitorEndpoint = At(request.frames, 1);
        request.status = At(request.frames, 2);
        request.backupEndpoint = At(request.frames, 3);
        std::string answer;
        std::optional<std::vector<std::string>> raw;
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            answer = m_answer;
            raw = m_rawReply;
        }
        if (raw) {
            SendText(detect, request.routingId, !raw->empty());
            for (std::size_t i = 0; i < raw->size(); ++i)
                SendText(detect, (*raw)[i], i + 1 < raw->size());
            answer = "with " + std::to_string(raw->size()) + " raw frames";
        } else {
            SendTexts(detect,
                      {request.routingId, m_phone.name, m_phone.id, m_phone.address, answer});
        }
        if (m_events)
            m_events("detection request from " + request.pcId + " (" + request.status +
                     "), answered " + answer);
    }
}

}  // namespace harbrook::phone
