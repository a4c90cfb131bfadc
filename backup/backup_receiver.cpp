#include "backup/backup_receiver.h"

#include <vector>

#include "backup/backup_session.h"
#include "link/decimal_text.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/stop_signal.h"
#include "locale/ui_strings.h"

namespace harbrook {
namespace {

constexpr std::size_t kFirstIdentityBuffer = 50;
constexpr std::size_t kTotalBuffer = 50;
constexpr std::size_t kStatusCapacity = 300;
constexpr unsigned kBackingUpText = 127;
constexpr unsigned kCompletedText = 128;
constexpr unsigned kFailedText = 129;

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

// Waits, without end, for the first frame of a phone's first message.
// Nothing when the link is stopped.
std::optional<std::string> WaitForPhone(LinkContext& link, zmq::socket_t& socket) {
    for (;;) {
        auto identity = RecvText(socket, kFirstIdentityBuffer);
        if (identity && !identity->text.empty() && !identity->cut && !identity->longer)
            return std::move(identity->text);
        if (identity) DiscardRestOfMessage(socket);  // no identity we could answer
        if (!link.stop.SleepFor(link.timing.backupIdleRetry)) return std::nullopt;
    }
}

// One listening socket, at most one backup on it. False when the link is
// stopped.
bool ServeOneBackup(LinkContext& link, StorageLayout& storage, std::span<char> chunk) {
    LinkContextHandle context(link.stop);
    zmq::socket_t socket(context.get(), zmq::socket_type::router);
    SetLinger(socket, link.timing.linger);
    // The library drops a peer whose message could not be a chunk before it
    // allocates anything for it.
    SetMaxMessageSize(socket, kMaxChunkMessage);
    if (const int port = BindFirstFree(socket, link.ports.backup)) link.backupPort = port;
    SetReceiveTimeout(socket, link.timing.transferReceive);

    auto identity = WaitForPhone(link, socket);
    if (!identity) return false;
    const auto totalFrame = RecvText(socket, kTotalBuffer);
    // A frame longer than a total is no total: most likely a chunk that a
    // phone sent after we had already given up on it.
    if (!totalFrame || totalFrame->text.empty() || totalFrame->cut || totalFrame->longer)
        return true;
    DiscardRestOfMessage(socket);
    const std::int64_t total = ParseDecimal64(totalFrame->text);
    if (total <= 0) return true;

    if (!storage.PrepareBackupFolders(total)) {
        SendText(socket, *identity, true);
        SendText(socket, kw::kInsufficient);
        return link.stop.SleepFor(link.timing.insufficientPause);
    }
    BusyGuard busy(link.transferBusy);
    if (!busy.Taken()) return true;  // a send runs; the phone hears nothing and times out

    SendText(socket, *identity, true);
    SendText(socket, kw::kSufficient);
    ShowStatus(link, kBackingUpText);
    link.frontend.OnBackupStarted(total);

    BackupSession session(link, storage, socket, chunk, std::move(*identity), total);
    const BackupSession::Outcome outcome = session.Run();
    if (outcome == BackupSession::Outcome::Completed) ShowStatus(link, kCompletedText);
    if (outcome == BackupSession::Outcome::Failed) ShowStatus(link, kFailedText);
    // Closed and free before anyone hears of the end: a phone that starts its
    // next backup at once reaches the next socket, not this closing one, and a
    // send may start.
    socket.close();
    busy.Release();
    link.frontend.OnBackupEnded({outcome, {}, session.FilesStored(), session.BytesReceived()});
    return true;
}

}  // namespace

void BackupReceiverThread(LinkContext& link, StorageLayout& storage) {
    // One chunk buffer for the life of the thread: memory does not grow with
    // the size or the number of files.
    std::vector<char> chunk(kChunkBufferSize);
    while (!link.stop.StopRequested()) {
        try {
            if (!ServeOneBackup(link, storage, chunk)) return;
        } catch (const zmq::error_t& e) {
            if (IsTerminated(e)) return;
            // Anything else (out of sockets, say) is the system's trouble, not
            // the phone's: wait a little and listen again.
            if (!link.stop.SleepFor(link.timing.backupIdleRetry)) return;
        }
    }
}

}  // namespace harbrook
