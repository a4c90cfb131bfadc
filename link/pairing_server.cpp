// The pairing server: a phone that scanned the QR code sends its name,
// identity and address; the PC records the phone, marks it connected and
// answers with its identity, the monitor endpoint, its computer name and the
// backup endpoint. Each pairing gets a fresh context and socket, and the
// next cycle binds from the first port of the list again.
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/worker_support.h"
#include "platform/net.h"
#include "update/date_records.h"

namespace harbrook {
namespace {

// A fixed English text: the installation is broken, so no string table is trusted.
constexpr const char* kNoPairingPort = "Please reinstall the Harbrook!";

// How long a pairing socket waits, after an answer, for more requests before
// it closes.
constexpr std::chrono::milliseconds kLateRequestWait{200};

// Routing identity, phone name, phone identity, phone address.
constexpr std::array<std::size_t, 4> kRequestBuffers{20, 255, 255, 100};

struct PairingRequest {
    std::string routingId, name, id, address;
};

// Waits for a request of four frames. Shorter messages are dropped and the
// wait goes on, so a stray frame never shifts the next phone's frames.
PairingRequest ReceiveRequest(zmq::socket_t& socket) {
    while (true) {
        auto frames = RecvTextMessage(socket, kRequestBuffers);
        if (frames)
            return {(*frames)[0].text, (*frames)[1].text, (*frames)[2].text, (*frames)[3].text};
    }
}

// A further request, if one arrives within `wait`.
std::optional<PairingRequest> LateRequest(zmq::socket_t& socket, std::chrono::milliseconds wait) {
    while (PollIn(socket, wait)) {
        auto frames = RecvTextMessage(socket, kRequestBuffers);
        if (frames)
            return PairingRequest{(*frames)[0].text, (*frames)[1].text, (*frames)[2].text,
                                  (*frames)[3].text};
    }
    return std::nullopt;
}

// The computer name as UTF-8 with its terminating zero byte, which the phone
// expects in this one frame; "PC" without terminator when there is no name.
std::string ComputerNameFrame() {
    const auto name = platform::ComputerName();
    if (!name || name->empty() || name->size() >= 1000) return std::string(kw::kPcFallbackName);
    return *name + '\0';
}

// Records the phone and marks it connected, then answers it: a phone that
// starts its backup the moment it has the answer finds itself connected.
void AnswerRequest(LinkContext& link, zmq::socket_t& socket, const PairingRequest& request) {
    CSettingsStore settings(link.clock);
    settings.SavePhoneValue(request.id, CSettingsStore::kPhoneIdValue, request.id);
    settings.SavePhoneValue(request.id, CSettingsStore::kPhoneNameValue, request.name);
    link.state.SetConnectionState(true, request.name, request.id, request.address);
    link.state.SetDisconnectRequested(false);

    std::string pcId;
    settings.GetPcId(pcId);
    const std::string monitor = link.BuildMonitorEndpoint();
    const std::string backup = link.BuildBackupEndpoint();
    SendTexts(socket, {request.routingId, pcId, monitor, ComputerNameFrame(), backup});
}

// One pairing cycle. False when no pairing port could be bound.
bool PairOnce(LinkContext& link) {
    std::vector<PairingRequest> answered;
    {
        LinkContextHandle context(link.stop);
        zmq::socket_t socket(context, zmq::socket_type::router);
        SetLinger(socket, link.timing.linger);
        SetMaxMessageSize(socket, kMaxTextMessage);
        const int port = BindFirstFree(socket, link.ports.pairing);
        link.pairingPort.store(port);
        if (port == 0) return false;
        if (link.pairingCode) link.pairingCode->UpdatePairingCode(std::to_string(port));

        std::optional<PairingRequest> request = ReceiveRequest(socket);
        // The QR port is not on offer until the next cycle. Phones that
        // scanned the code at the same moment as this one are answered here
        // before the close: their requests would be lost with the socket.
        link.pairingPort.store(0);
        for (; request; request = LateRequest(socket, kLateRequestWait)) {
            AnswerRequest(link, socket, *request);
            answered.push_back(std::move(*request));
        }
    }  // socket closed, context destroyed: the pairing port is free again
    link.folders.PrepareBackupFolders(1024);
    ResetShowDate(link.clock);
    for (const auto& request : answered) link.frontend.OnPaired(request.name, request.id);
    return true;
}

}  // namespace

void PairingServerThread(LinkContext& link) {
    RunLinkWorker(link.stop, [&] {
        while (!link.stop.StopRequested()) {
            if (!PairOnce(link)) {
                if (!link.stop.StopRequested()) link.frontend.ShowMessage(kNoPairingPort);
                return;
            }
        }
    });
}

}  // namespace harbrook
