#include "backup/backup_receiver.h"

#include <optional>
#include <vector>

#include "link/frames.h"
#include "link/keywords.h"
#include "link/link_worker.h"
#include "locale/ui_strings.h"

namespace harbrook {
namespace {

constexpr unsigned kBackingUp = 127, kCompleted = 128, kFailed = 129;

// Clears the transfer-busy flag however the backup ends.
struct BusyGuard {
    std::atomic_flag& flag;
    ~BusyGuard() { flag.clear(); }
};

// A header frame of at most `limit` bytes (a buffer one larger); a longer
// frame is refused rather than cut, so a name is never silently shortened.
std::optional<std::string> Field(zmq::socket_t& socket, std::size_t limit, bool& more) {
    auto frame = RecvText(socket, limit + 1);
    if (!frame || frame->cut) return std::nullopt;
    more = frame->more;
    return std::move(frame->text);
}

struct Offer {
    std::string name, category, state;
    std::int64_t size = 0;
};

// [identity][name][size][category][state]; nothing when a frame is missing,
// empty, too long, or the size is not positive.
std::optional<Offer> ReceiveOffer(zmq::socket_t& socket) {
    bool more = false;
    Offer offer;
    if (!Field(socket, 29, more) || !more) return std::nullopt;
    const auto name = Field(socket, 255, more);
    if (!name || name->empty() || !more) return std::nullopt;
    const auto size = Field(socket, 29, more);
    if (!size || size->empty() || !more) return std::nullopt;
    const auto category = Field(socket, 49, more);
    if (!category || category->empty() || !more) return std::nullopt;
    const auto state = Field(socket, 29, more);
    if (!state || state->empty()) return std::nullopt;
    if (more) DiscardRestOfMessage(socket);
    offer.name = *name;
    offer.size = ParseDecimal64(*size);
    offer.category = *category;
    offer.state = *state;
    if (offer.size <= 0) return std::nullopt;
    return offer;
}

class Backup {
  public:
    Backup(LinkContext& link, StorageLayout& storage, zmq::socket_t& socket, std::string identity,
           std::int64_t total)
        : m_link(link),
          m_storage(storage),
          m_socket(socket),
          m_identity(std::move(identity)),
          m_buffer(kChunkBuffer) {
        m_progress.totalBytes = total;
    }

    // The file loop; returns the status text to show, or 0 for none.
    unsigned Run() {
        while (m_link.state.IsConnected()) {
            const auto offer = ReceiveOffer(m_socket);
            if (!offer) return Failed();
            if (offer->state == kw::kBackingEnd) return kCompleted;
            if (const unsigned status = ReceiveFile(*offer)) return status;
        }
        return 0;
    }

  private:
    // A phone that was marked disconnected while we waited ends the backup
    // quietly; anything else that breaks the conversation is a failure.
    unsigned Failed() const { return m_link.state.IsConnected() ? kFailed : 0; }

    bool Reply(std::string_view word) {
        return SendText(m_socket, m_identity, true) && SendText(m_socket, word, false);
    }

    // Pulls one file; 0 to go on with the next offer, else the ending status.
    unsigned ReceiveFile(const Offer& offer) {
        std::filesystem::path target;
        if (!m_storage.ResolveTargetPath(offer.name, offer.category, target)) return kFailed;
        if (m_allowance != 0 && offer.size == m_previousSize && offer.name == m_previousName) {
            // The phone offers the file again: the last try goes.
            --m_allowance;
            std::error_code ec;
            std::filesystem::remove(m_previousPath, ec);
        }
        platform::OutputFile file;
        if (!CreateUniqueTargetFile(target, file)) return kFailed;
        m_previousName = offer.name;
        m_previousSize = offer.size;
        m_previousPath = target;
        m_progress.currentFile = offer.name;
        std::int64_t count = 0;
        while (m_link.state.IsConnected()) {
            if (!Reply(kw::kFetch)) return kFailed;
            bool more = false;
            if (!Field(m_socket, 29, more) || !more) return Failed();
            const auto chunk = RecvBinary(m_socket, m_buffer);
            if (!chunk || chunk->cut) return Failed();  // more than a chunk can hold
            if (chunk->more) DiscardRestOfMessage(m_socket);
            const std::string_view data(m_buffer.data(), chunk->size);
            if (data == kw::kEndMarker) break;
            if (!file.Write(data.data(), data.size())) return kFailed;  // disk full
            count += static_cast<std::int64_t>(data.size());
            m_progress.receivedBytes += static_cast<std::int64_t>(data.size());
            m_link.frontend.OnBackupProgress(m_progress);
            // A phone that sends more than it announced gets no further fetch.
            if (data.size() < kChunkSize || count > offer.size) break;
        }
        if (!m_link.state.IsConnected()) return 0;
        file.Close();
        const bool complete = count == offer.size;
        if (complete || m_allowance == 0) {
            if (!complete) m_allowance = 2;
            if (!Reply(kw::kFileEnd)) return kFailed;
        } else if (!Reply(kw::kFileError)) {
            return kFailed;
        }
        ++m_progress.filesDone;
        m_link.frontend.OnFileReceived(offer.name, count, target, complete);
        return 0;
    }

    LinkContext& m_link;
    StorageLayout& m_storage;
    zmq::socket_t& m_socket;
    const std::string m_identity;
    std::vector<char> m_buffer;  // one chunk buffer for the whole backup
    int m_allowance = 2;         // resends allowed per backup, not per file
    std::string m_previousName;
    std::int64_t m_previousSize = 0;
    std::filesystem::path m_previousPath;
    BackupProgress m_progress;
};

void ShowStatus(LinkContext& link, unsigned id) {
    link.frontend.SetBannerStatus(LoadUiString(id, 300));
}

// Listens for one phone and serves its backup; every ending closes the socket.
void ServeOneBackup(LinkContext& link, StorageLayout& storage) {
    LinkContextHandle context(link.stop);
    zmq::socket_t socket(context, zmq::socket_type::router);
    SetLinger(socket, link.timing.linger);
    SetMaxMessageSize(socket, kMaxChunkMessage);
    if (const int port = BindFirstFree(socket, link.ports.backup)) link.backupPort = port;
    SetReceiveTimeout(socket, link.timing.transferReceive);

    std::optional<TextFrame> identity;
    while (!(identity = RecvText(socket, 50)) || identity->cut || !identity->more) {
        if (identity)
            DiscardRestOfMessage(socket);  // not an announcement: [identity][total]
        else if (!link.stop.SleepFor(link.timing.backupIdleRetry))
            return;
    }
    const auto totalFrame = RecvText(socket, 50);
    if (!totalFrame || totalFrame->cut || totalFrame->text.empty()) return;
    if (totalFrame->more) DiscardRestOfMessage(socket);
    const std::int64_t total = ParseDecimal64(totalFrame->text);
    if (total <= 0) return;

    if (!storage.PrepareBackupFolders(total)) {
        SendText(socket, identity->text, true);
        SendText(socket, kw::kInsufficient, false);
        link.stop.SleepFor(link.timing.insufficientPause);
        return;
    }
    if (link.transferBusy.test_and_set()) return;  // a send runs: no answer
    BusyGuard busy{link.transferBusy};
    SendText(socket, identity->text, true);
    SendText(socket, kw::kSufficient, false);
    ShowStatus(link, kBackingUp);
    link.frontend.OnBackupStarted(total);
    const unsigned status = Backup(link, storage, socket, identity->text, total).Run();
    if (status != 0) ShowStatus(link, status);
    link.frontend.OnBackupEnded(status == kCompleted);
}

}  // namespace

void BackupReceiverThread(LinkContext& link, StorageLayout& storage) {
    RunWorker(link, [&] {
        ServeOneBackup(link, storage);
        return true;
    });
}

}  // namespace harbrook
