#include <optional>

#include "core/settings_store.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/link_worker.h"
#include "locale/ui_strings.h"
#include "platform/net.h"
#include "update/date_records.h"

namespace harbrook {
namespace {

// The computer name with its terminating zero, as the reply carries it; "PC"
// without terminator when the name cannot be had or does not fit 1000 bytes.
std::string ComputerNameFrame() {
    const auto name = platform::ComputerName();
    if (!name || name->empty() || name->size() + 1 > 1000) return std::string(kw::kPcFallbackName);
    return *name + '\0';
}

// One pairing: bind, show the code, answer one phone, record it. False when
// no pairing port can be bound (the worker then ends).
bool PairingCycle(LinkContext& link) {
    LinkContextHandle context(link.stop);
    zmq::socket_t socket(context, zmq::socket_type::router);
    SetLinger(socket, link.timing.linger);
    SetMaxMessageSize(socket, kMaxTextMessage);
    const int port = BindFirstFree(socket, link.ports.pairing);
    link.pairingPort = port;
    if (port == 0) {
        socket.close();
        link.frontend.ShowMessage("Please reinstall the Harbrook!");
        return false;
    }
    if (link.pairingCode) link.pairingCode->UpdatePairingCode(std::to_string(port));

    // Identity, name, phone identity, address. A request with other frames is
    // dropped whole rather than mixed with the next phone's frames.
    std::optional<std::vector<std::string>> request;
    while (!(request = RecvTextMessage(socket, {20, 255, 255, 100}, false))) {
    }
    link.pairingPort = 0;  // no longer waiting for a phone
    const std::string& routing = (*request)[0];
    const std::string& name = (*request)[1];
    const std::string& phoneId = (*request)[2];
    const std::string& address = (*request)[3];

    const std::string pcId = ReadPcId(200);
    const std::string monitor = link.BuildMonitorEndpoint();
    const std::string backup = link.BuildBackupEndpoint();
    SendText(socket, routing, true);
    SendText(socket, pcId, true);
    SendText(socket, monitor, true);
    SendText(socket, ComputerNameFrame(), true);
    SendText(socket, backup, false);

    CSettingsStore settings;
    settings.SavePhoneValue(phoneId, CSettingsStore::kPhoneIdValue, phoneId);
    settings.SavePhoneValue(phoneId, CSettingsStore::kPhoneNameValue, name);
    link.state.SetConnectionState(true, name, phoneId, address);
    link.state.SetDisconnectRequested(false);
    link.folders.PrepareBackupFolders(1024);
    link.frontend.OnPaired(name, phoneId);
    socket.close();
    ResetShowDate(link.clock);
    return true;
}

}  // namespace

void PairingServerThread(LinkContext& link) {
    RunWorker(link, [&] { return PairingCycle(link); });
}

}  // namespace harbrook
