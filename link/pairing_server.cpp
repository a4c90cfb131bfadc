// The pairing server: a phone that scanned the QR code sends its name,
// identity and address; the PC answers with its identity, the monitor
// endpoint, its computer name and the backup endpoint, records the phone and
// marks it connected. Each pairing gets a fresh context and socket, and the
// next cycle binds from the first port of the list again.
#include <array>
#include <string>

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

// The computer name as UTF-8 with its terminating zero byte, which the phone
// expects in this one frame; "PC" without terminator when there is no name.
std::string ComputerNameFrame() {
    const auto name = platform::ComputerName();
    if (!name || name->empty() || name->size() >= 1000) return std::string(kw::kPcFallbackName);
    return *name + '\0';
}

// One pairing. False when no pairing port could be bound.
bool PairOnce(LinkContext& link) {
    PairingRequest request;
    {
        LinkContextHandle context(link.stop);
        zmq::socket_t socket(context, zmq::socket_type::router);
        SetLinger(socket, link.timing.linger);
        SetMaxMessageSize(socket, kMaxTextMessage);
        const int port = BindFirstFree(socket, link.ports.pairing);
        link.pairingPort.store(port);
        if (port == 0) return false;
        if (link.pairingCode) link.pairingCode->UpdatePairingCode(std::to_string(port));

        request = ReceiveRequest(socket);
        // This socket pairs no one else: the QR port is not on offer until the next cycle.
        link.pairingPort.store(0);

        std::string pcId;
        CSettingsStore(link.clock).GetPcId(pcId);
        const std::string monitor = link.BuildMonitorEndpoint();
        const std::string backup = link.BuildBackupEndpoint();
        SendTexts(socket, {request.routingId, pcId, monitor, ComputerNameFrame(), backup});

        CSettingsStore settings(link.clock);
        settings.SavePhoneValue(request.id, CSettingsStore::kPhoneIdValue, request.id);
        settings.SavePhoneValue(request.id, CSettingsStore::kPhoneNameValue, request.name);
        link.state.SetConnectionState(true, request.name, request.id, request.address);
        link.state.SetDisconnectRequested(false);
        link.folders.PrepareBackupFolders(1024);
    }  // socket closed, context destroyed: the pairing port is free again
    ResetShowDate(link.clock);
    link.frontend.OnPaired(request.name, request.id);
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
