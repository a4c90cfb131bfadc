// Who the stand-in phone is and where it listens. Every port is injectable so
// that tests run side by side; the defaults are the phone app's.
#pragma once

#include <chrono>
#include <string>

#include "link/port_plan.h"

namespace harbrook::phone {

// The PC keeps a routing identity in 20 bytes with its terminator.
inline constexpr std::size_t kMaxRoutingId = 19;

struct PhoneProfile {
    std::string name = "Harbrook Phone";
    std::string id = "harbrook-phone-0001";  // the key of the PC's phone record
    std::string routingId = "phone";         // identity of the phone's sockets, numbered per socket
    std::string address = "127.0.0.1";       // the phone binds and reports only this
    // Where the phone's own connections to the PC leave from, which is the
    // address the PC sees; empty: the system's choice.
    std::string sourceAddress;

    int beaconPort = PortPlan{}.beacon;                  // the phone publishes its beacon here
    int detectPort = 24640;                              // where it takes the detection request
    int noticePort = PortPlan{}.disconnectNotice;        // the PC's disconnect notice port
    int userDisconnectPort = PortPlan{}.userDisconnect;  // where it takes the user's disconnect

    // The beacon text: the endpoint of the detection request without "tcp://".
    std::string DetectEndpoint() const { return address + ":" + std::to_string(detectPort); }
};

// "tcp://" in front of an "address:port" text.
inline std::string Tcp(const std::string& addressAndPort) {
    return "tcp://" + addressAndPort;
}

// The endpoint of a connection from the phone to "address:port" of the PC,
// leaving from the phone's source address when it has one.
inline std::string TcpFrom(const PhoneProfile& phone, const std::string& addressAndPort) {
    if (phone.sourceAddress.empty()) return Tcp(addressAndPort);
    return Tcp(phone.sourceAddress + ":0;" + addressAndPort);
}

}  // namespace harbrook::phone
