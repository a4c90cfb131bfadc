#include "backup/backup_receiver.h"

#include <algorithm>
#include <vector>

#include "backup/backup_session.h"
#include "link/decimal_text.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/stop_signal.h"
#include "link/worker_support.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/memory.h"

namespace harbrook {
namespace {

constexpr std::size_t kFirstIdentityBuffer = 50;
constexpr std::size_t kTotalBuffer = 50;
constexpr std::size_t kStatusCapacity = 300;

void ShowStatus(LinkContext& link, unsigned id) {
    link.frontend.SetBannerStatus(LoadUiString(id, kStatusCapacity));
}

// Holds the transfer-busy flag for one backup; a stop that unwinds the
// backup releases it too.
class BusyGuard {
  public:
    explicit BusyGuard(std::atomic_flag& flag) : m_flag(flag), m_taken(!flag.test_and_set()) {}
    ~BusyGuard() {
        if (m_taken) m_flag.clear();
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    bool Taken() const { return m_taken; }
    void Release() {
        if (m_taken) m_flag.clear();
        m_taken = false;
    }

  private:
    std::atomic_flag& m_flag;
    bool m_taken;
};

// Who may back up: the connected phone, speaking from the address the
// connection monitor knows it by. With no phone connected, nobody.
bool FromConnectedPhone(const LinkContext& link, const std::string& peer) {
    return link.state.IsConnected() && !peer.empty() && peer == link.state.PhoneAddress();
}

struct Caller {
    std::string identity, peer;
};

// Waits, without end, for the first frame of the connected phone's first
// message. Anyone else's message is dropped unanswered, so that a stranger
// neither starts a backup nor holds the socket. Nothing when the link is
// stopped.
std::optional<Caller> WaitForPhone(LinkContext& link, zmq::socket_t& socket) {
    for (;;) {
        auto identity = RecvText(socket, kFirstIdentityBuffer);
        if (identity && !identity->text.empty() && !identity->cut && !identity->longer &&
            FromConnectedPhone(link, identity->peer))
            return Caller{std::move(identity->text), std::move(identity->peer)};
        if (identity) {
            DiscardRestOfMessage(socket);  // no phone of ours, or no identity we could answer
            continue;
        }
        if (!link.stop.SleepFor(link.timing.backupIdleRetry)) return std::nullopt;
    }
}

// Retries of a bind that found every backup port taken: from the idle
// retry, doubling up to this many times it.
constexpr int kMaxBindBackOff = 32;

// One listening socket, at most one backup on it. False when the link is
// stopped. `backOff` grows while no backup port can be bound.
bool ServeOneBackup(LinkContext& link, StorageLayout& storage, int& backOff) {
    LinkContextHandle context(link.stop);
    zmq::socket_t socket(context.get(), zmq::socket_type::router);
    LingerOnClose linger(socket, link.timing.linger, link.stop);
    // The library drops a peer whose message could not be a chunk before it
    // allocates anything for it.
    SetMaxMessageSize(socket, kMaxChunkMessage);
    const int port = BindFirstFree(socket, link.ports.backup);
    if (port == 0) {
        // Taken for a moment, most likely (a backup socket of ours closing,
        // another program): say so once and try again, less and less often.
        if (backOff == 0) link.frontend.ShowMessage(LoadUiString(kStrNoBackupPort, 512));
        backOff = std::min(std::max(backOff * 2, 1), kMaxBindBackOff);
        return link.stop.SleepFor(link.timing.backupIdleRetry * backOff);
    }
    backOff = 0;
    link.backupPort = port;
    SetReceiveTimeout(socket, link.timing.transferReceive);

    auto caller = WaitForPhone(link, socket);
    if (!caller) return false;
    const auto totalFrame = RecvText(socket, kTotalBuffer);
    // A frame longer than a total is no total: most likely a chunk that a
    // phone sent after we had already given up on it.
    if (!totalFrame || totalFrame->text.empty() || totalFrame->cut || totalFrame->longer)
        return true;
    DiscardRestOfMessage(socket);
    const std::int64_t total = ParseDecimal64(totalFrame->text);
    if (total <= 0) return true;

    if (!storage.PrepareBackupFolders(total)) {
        SendText(socket, caller->identity, true);
        SendText(socket, kw::kInsufficient);
        return link.stop.SleepFor(link.timing.insufficientPause);
    }
    BusyGuard busy(link.transferBusy);
    if (!busy.Taken()) return true;  // a send runs; the phone hears nothing and times out

    SendText(socket, caller->identity, true);
    SendText(socket, kw::kSufficient);
    ShowStatus(link, kStrBackingUp);
    link.frontend.OnBackupStarted(total);

    BackupSession session(link, storage, socket, std::move(caller->identity),
                          std::move(caller->peer), total);
    const BackupSession::Outcome outcome = session.Run();
    if (outcome == BackupSession::Outcome::Completed) ShowStatus(link, kStrBackupCompleted);
    if (outcome == BackupSession::Outcome::Failed) ShowStatus(link, kStrBackupFailed);
    // Closed and free before anyone hears of the end: a phone that starts its
    // next backup at once reaches the next socket, not this closing one, and a
    // send may start.
    linger.Close();
    busy.Release();
    const std::string reason =
        outcome == BackupSession::Outcome::Failed ? session.FailureReason() : std::string();
    link.frontend.OnBackupEnded({outcome, reason, session.FilesStored(), session.BytesReceived(),
                                 session.FilesAlreadyStored()});
    return true;
}

// One backup, and back to the memory of an idle program: the look-up of
// stored content and the chunks in flight are free now, but the allocator
// would keep their pages.
bool ServeAndReturnMemory(LinkContext& link, StorageLayout& storage, int& backOff) {
    const bool more = ServeOneBackup(link, storage, backOff);
    platform::ReturnFreeMemory();
    return more;
}

}  // namespace

void BackupReceiverThread(LinkContext& link, StorageLayout& storage) {
    // Each chunk is written from the message it arrived in and freed when
    // the next one comes: memory does not grow with the size or the number of
    // files.
    int backOff = 0;
    while (!link.stop.StopRequested()) {
        try {
            if (!ServeAndReturnMemory(link, storage, backOff)) return;
        } catch (const zmq::error_t& e) {
            if (IsTerminated(e)) return;
            // Anything else (out of sockets, say) is the system's trouble, not
            // the phone's: wait a little and listen again.
            if (!link.stop.SleepFor(link.timing.backupIdleRetry)) return;
        } catch (const std::exception&) {
            // A file system error and the like: never out of the thread.
            if (!link.stop.SleepFor(link.timing.backupIdleRetry)) return;
        }
    }
}

}  // namespace harbrook
