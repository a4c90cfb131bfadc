// The link workers. Each runs until the context's stop signal is raised and
// then returns; the program starts the five long-lived ones once, in this
// order: pairing server, connection monitor, phone detection, backup receiver
// (backup/backup_receiver.h), disconnect listener.
#pragma once

#include "link/link_context.h"

namespace harbrook {

// Answers phones that pair on the first free pairing port, records them and
// marks them connected. Keeps the QR code in step with the bound port.
void PairingServerThread(LinkContext& link);

// Answers the connected phone's heartbeat; marks it disconnected after the
// fourth silent heartbeat window in a row, or on a heartbeat that does not match.
void ConnectionMonitorThread(LinkContext& link);

// While no phone is connected: listens for a phone's beacon on the /24
// network, hands it the PC's endpoints and marks it connected when it agrees.
void PhoneDetectionThread(LinkContext& link);

// Takes the phone's "Disconnected" notice.
void DisconnectListenerThread(LinkContext& link);

// One-shot: the user's disconnect. Marks the phone disconnected at once, then
// tells it; returns within the reply wait and the library's drop time.
void DisconnectThread(LinkContext& link);

}  // namespace harbrook
