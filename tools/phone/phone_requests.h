// The phone's one-shot conversations with the PC: pairing, a heartbeat and the
// "Disconnected" notice. Each opens its own context and socket, waits at most
// its time-out and closes everything before it returns.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/phone/phone_profile.h"

namespace harbrook::phone {

using std::chrono::milliseconds;

// The PC's pairing reply as it arrived, frame by frame (bytes as sent).
struct PairingReply {
    std::vector<std::string> frames;
    // Convenience views of frames 0 to 3 (empty when missing).
    std::string pcId, monitorEndpoint, computerName, backupEndpoint;
    // The computer-name frame ends in a zero byte ("PC" alone has none).
    bool computerNameTerminated = false;
};

// Pairs with the PC's pairing server at "address:port" (the QR text).
std::optional<PairingReply> Pair(const PhoneProfile& phone, std::string_view qrText,
                                 milliseconds timeout = milliseconds(5000));

struct HeartbeatAnswer {
    std::vector<std::string> frames;
    std::string status;  // "Connected" or "Disconnected"
    std::string pcId;
};

// A heartbeat to the monitor endpoint ("address:port") with the phone's
// status word, sent again every 250 ms without answer. Nothing when the PC
// does not answer within the time-out.
std::optional<HeartbeatAnswer> SendHeartbeat(const PhoneProfile& phone,
                                             std::string_view monitorEndpoint,
                                             std::string_view status = "Connected",
                                             milliseconds timeout = milliseconds(3000));

// Tells the PC at pcAddress (its notice port from the profile) that the phone
// disconnected. The PC never answers; true when the notice was handed to the
// network within the time-out.
bool SendDisconnectNotice(const PhoneProfile& phone, std::string_view pcAddress,
                          milliseconds timeout = milliseconds(3000));

// The "a.b.c.d:port" part of a QR text or endpoint, checked: four groups and a
// port. Nothing for anything else.
std::optional<std::string> ParsePcEndpoint(std::string_view text);

}  // namespace harbrook::phone
