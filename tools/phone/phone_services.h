// The phone's long-running sides, each on its own thread with its own
// context: the beacon with the detection answers, the listener for the user's
// disconnect, and the heartbeat. Each records what it saw so that tests and
// the command line can look; Stop() (or the destructor) ends it within a
// fraction of a second.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/phone/phone_profile.h"

namespace harbrook::phone {

using std::chrono::milliseconds;

// Called from a service thread with a line about what just happened.
using EventSink = std::function<void(const std::string&)>;

// A detection request as the phone's ROUTER socket took it.
struct DetectionRequest {
    std::string routingId;            // "PCDETECT" from a well-behaved PC
    std::vector<std::string> frames;  // after the routing identity
    std::string pcId, monitorEndpoint, status, backupEndpoint;
};

// Publishes the beacon (the detection endpoint) on address:beaconPort every
// `interval`, and answers detection requests on address:detectPort with the
// phone's name, identity, address and `answer` ("Connected" to accept).
class BeaconService {
  public:
    BeaconService(PhoneProfile phone, milliseconds interval = milliseconds(200),
                  EventSink events = {});
    ~BeaconService();
    BeaconService(const BeaconService&) = delete;
    BeaconService& operator=(const BeaconService&) = delete;

    // False when the beacon or the detection port cannot be bound.
    bool Start();
    void Stop();

    void SetAnswer(std::string answer);
    // For testing a PC against a misbehaving phone: the beacon says this text
    // instead of the detection endpoint, and detection requests are answered
    // with these frames (after the routing identity) instead of the phone's
    // four. An empty optional restores the phone's own.
    void SetBeaconText(std::optional<std::string> text);
    void SetRawReply(std::optional<std::vector<std::string>> frames);

    std::vector<DetectionRequest> Requests() const;
    std::size_t BeaconsSent() const { return m_beacons.load(); }

  private:
    void Run(std::stop_token stop);

    PhoneProfile m_phone;
    milliseconds m_interval;
    EventSink m_events;
    mutable std::mutex m_mutex;
    std::string m_answer = "Connected";
    std::optional<std::string> m_beaconText;
    std::optional<std::vector<std::string>> m_rawReply;
    std::vector<DetectionRequest> m_requests;
    std::atomic<std::size_t> m_beacons{0};
    std::atomic<int> m_bound{0};  // 0 starting, 1 bound, -1 failed
    std::jthread m_thread;
};

// Takes the user's disconnect on address:userDisconnectPort and answers it.
class DisconnectListener {
  public:
    explicit DisconnectListener(PhoneProfile phone, EventSink events = {});
    ~DisconnectListener();
    DisconnectListener(const DisconnectListener&) = delete;
    DisconnectListener& operator=(const DisconnectListener&) = delete;

    bool Start();
    void Stop();

    // The messages received, frames joined with '|'.
    std::vector<std::string> Received() const;

  private:
    void Run(std::stop_token stop);

    PhoneProfile m_phone;
    EventSink m_events;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::atomic<int> m_bound{0};
    std::jthread m_thread;
};

// Sends a heartbeat to the monitor endpoint every `interval` and records the
// answers; a heartbeat without answer counts as missed.
class HeartbeatService {
  public:
    HeartbeatService(PhoneProfile phone, std::string monitorEndpoint,
                     milliseconds interval = milliseconds(200), EventSink events = {});
    ~HeartbeatService();
    HeartbeatService(const HeartbeatService&) = delete;
    HeartbeatService& operator=(const HeartbeatService&) = delete;

    void Start();
    void Stop();

    void SetStatus(std::string status);
    std::size_t Answered() const { return m_answered.load(); }
    std::size_t Missed() const { return m_missed.load(); }
    std::string LastStatus() const;

  private:
    void Run(std::stop_token stop);

    PhoneProfile m_phone;
    std::string m_monitor;
    milliseconds m_interval;
    EventSink m_events;
    mutable std::mutex m_mutex;
    std::string m_status = "Connected";
    std::string m_lastAnswer;
    std::atomic<std::size_t> m_answered{0}, m_missed{0};
    std::jthread m_thread;
};

}  // namespace harbrook::phone
