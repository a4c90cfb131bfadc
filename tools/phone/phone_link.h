// The phone's side of the link conversations, for tests and for people
// (harbrook-phone). It shares the frame helpers and keywords with the PC but
// none of the PC's logic, so it notices when the PC gets something wrong.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace harbrook::phone {

using std::chrono::milliseconds;

struct PhoneIdentity {
    std::string name = "Harbrook Phone";
    std::string id = "phone-0001";
    std::string address = "127.0.0.1";  // where the phone listens; never anything but loopback here
    std::string routingId = "phone";    // identity of the phone's DEALER sockets
};

struct PairingReply {
    std::string pcId;
    std::string monitorEndpoint;
    std::string computerNameFrame;  // raw bytes: the name and its terminating zero, or "PC"
    std::string backupEndpoint;
    std::size_t frames = 0;  // frames after the routing identity
};

// Sends [name][id][address] to the pairing endpoint ("a.b.c.d:port", as the
// QR code says) and waits for the PC's reply.
std::optional<PairingReply> Pair(const std::string& pairingEndpoint, const PhoneIdentity& phone,
                                 milliseconds timeout = milliseconds(5000));

struct HeartbeatAnswer {
    std::string status;  // "Connected" or "Disconnected"
    std::string pcId;
};

// One heartbeat [name][id][address][status] to the monitor endpoint.
std::optional<HeartbeatAnswer> Heartbeat(const std::string& monitorEndpoint,
                                         const PhoneIdentity& phone,
                                         const std::string& status = "Connected",
                                         milliseconds timeout = milliseconds(5000));

// Sends the phone's "Disconnected" notice to the PC ("a.b.c.d:4358").
bool SendDisconnectNotice(const std::string& pcNoticeEndpoint,
                          const std::string& text = "Disconnected");

// What a detection request carried.
struct DetectionRequest {
    std::string routingId, pcId, monitorEndpoint, status, backupEndpoint;
};

// Publishes the beacon on address:beaconPort and answers the PC's detection
// requests on address:detectPort with [name][id][address][answerStatus].
class BeaconResponder {
  public:
    BeaconResponder(PhoneIdentity phone, int beaconPort, int detectPort,
                    std::string answerStatus = "Connected",
                    milliseconds beaconInterval = milliseconds(200));
    ~BeaconResponder();
    bool Started() const { return m_started.load(); }
    std::vector<DetectionRequest> Requests() const;

  private:
    void Run();
    PhoneIdentity m_phone;
    int m_beaconPort, m_detectPort;
    std::string m_answerStatus;
    milliseconds m_interval;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_started{false};
    mutable std::mutex m_mutex;
    std::vector<DetectionRequest> m_requests;
    std::thread m_thread;
};

// Takes the user's disconnect from the PC on address:port (REP) and answers it.
class DisconnectReceiver {
  public:
    DisconnectReceiver(std::string address, int port);
    ~DisconnectReceiver();
    bool Started() const { return m_started.load(); }
    std::vector<std::string> Received() const;

  private:
    void Run();
    std::string m_address;
    int m_port;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_started{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::thread m_thread;
};

}  // namespace harbrook::phone
