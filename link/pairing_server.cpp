// The pairing server: a phone that scanned the QR code sends its name,
// identity and address; the PC records the phone at the address the request
// came from, marks it connected and answers with its identity, the monitor
// endpoint, its computer name and the backup endpoint. Requests are taken
// only while the pairing window is open. Each pairing gets a fresh context and socket, and the
// next cycle binds from the first port of the list again.
#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_threads.h"
#include "link/phone_trust.h"
#include "link/worker_support.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/net.h"

namespace harbrook {
namespace {

// How long a pairing socket waits, after an answer, for more requests before
// it closes.
constexpr std::chrono::milliseconds kLateRequestWait{200};

// Routing identity, phone name, phone identity, phone address.
constexpr std::array<std::size_t, 4> kRequestBuffers{20, 255, 255, 100};

struct PairingRequest {
    std::string routingId, name, id;
    std::string declared;  // the address the phone says it has
    std::string observed;  // the address its request came from: the one kept
};

// Says when the pairing window closes, once per closing. Open also while no
// phone has ever paired: there is nobody to protect yet.
class PairingGate {
  public:
    explicit PairingGate(LinkContext& link) : m_link(link) {}

    bool Open() {
        const bool open =
            m_link.pairingWindow.IsOpen() || !CSettingsStore(m_link.clock).HasPairedPhone();
        if (m_wasOpen && !open) m_link.frontend.OnLinkNotice(LoadUiString(kStrPairingClosed, 512));
        m_wasOpen = open;
        return open;
    }

  private:
    LinkContext& m_link;
    bool m_wasOpen = true;
};

// One request of four frames from an address we can reach again, or nothing.
std::optional<PairingRequest> ReadRequest(zmq::socket_t& socket) {
    auto frames = RecvTextMessage(socket, kRequestBuffers);
    if (!frames) return std::nullopt;
    std::string observed = ObservedAddress(*frames);
    if (observed.empty()) return std::nullopt;
    auto& f = *frames;
    return PairingRequest{f[0].text, f[1].text, f[2].text, f[3].text, std::move(observed)};
}

// Waits up to `wait` (forever when nullopt) for a request the pairing window
// lets in. Shorter messages are dropped and the wait goes on, so a stray frame
// never shifts the next phone's frames; requests outside the window are
// dropped unanswered.
std::optional<PairingRequest> ReceiveRequest(LinkContext& link, zmq::socket_t& socket,
                                             PairingGate& gate,
                                             std::optional<std::chrono::milliseconds> wait) {
    const auto until =
        std::chrono::steady_clock::now() + wait.value_or(std::chrono::milliseconds(0));
    while (true) {
        auto step = link.timing.pairingCheck;
        if (wait) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left <= std::chrono::milliseconds(0)) return std::nullopt;
            step = std::min(step, left);
        }
        const PollOutcome outcome = WaitForInput(socket, step);
        const bool open = gate.Open();
        if (outcome == PollOutcome::Failed && !link.stop.SleepFor(step)) return std::nullopt;
        if (outcome != PollOutcome::Input) continue;
        auto request = ReadRequest(socket);
        if (request && open) return request;
    }
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
    settings.SavePhoneValue(request.id, CSettingsStore::kPhoneAddressValue, request.observed);
    NoteDeclaredAddress(link, request.name, request.declared, request.observed);
    link.state.SetConnectionState(true, request.name, request.id, request.observed);
    link.state.SetDisconnectRequested(false);

    std::string pcId;
    settings.GetPcId(pcId);
    const std::string monitor = link.BuildMonitorEndpoint();
    const std::string backup = link.BuildBackupEndpoint();
    SendTexts(socket, {request.routingId, pcId, monitor, ComputerNameFrame(), backup});
}

// One pairing cycle. False when no pairing port could be bound.
bool PairOnce(LinkContext& link, PairingGate& gate) {
    std::vector<PairingRequest> answered;
    {
        LinkContextHandle context(link.stop);
        zmq::socket_t socket(context, zmq::socket_type::router);
        LingerOnClose linger(socket, link.timing.linger, link.stop);
        SetMaxMessageSize(socket, kMaxTextMessage);
        const int port = BindFirstFree(socket, link.ports.pairing);
        link.pairingPort.store(port);
        if (port == 0) return false;
        if (link.pairingCode) link.pairingCode->UpdatePairingCode(std::to_string(port));

        std::optional<PairingRequest> request = ReceiveRequest(link, socket, gate, std::nullopt);
        // The QR port is not on offer until the next cycle. Phones that
        // scanned the code at the same moment as this one are answered here
        // before the close: their requests would be lost with the socket.
        link.pairingPort.store(0);
        for (; request; request = ReceiveRequest(link, socket, gate, kLateRequestWait)) {
            AnswerRequest(link, socket, *request);
            answered.push_back(std::move(*request));
        }
    }  // socket closed, context destroyed: the pairing port is free again
    if (answered.empty()) return true;  // stopped while waiting
    link.folders.PrepareBackupFolders(1024);
    for (const auto& request : answered) link.frontend.OnPaired(request.name, request.id);
    return true;
}

}  // namespace

void PairingServerThread(LinkContext& link) {
    PairingGate gate(link);
    RunLinkWorker(link.stop, [&] {
        while (!link.stop.StopRequested()) {
            if (!PairOnce(link, gate)) {
                if (!link.stop.StopRequested())
                    link.frontend.ShowMessage(LoadUiString(kStrNoPairingPort, 512));
                return;
            }
        }
    });
}

}  // namespace harbrook
