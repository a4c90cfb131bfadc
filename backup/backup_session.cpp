#include "backup/backup_session.h"

#include "backup/backup_receiver.h"
#include "link/decimal_text.h"
#include "link/frames.h"
#include "link/keywords.h"

namespace harbrook {
namespace {

// Receive buffers, each one byte longer than the longest text it may hold.
constexpr std::size_t kIdentityBuffer = 30;
constexpr std::size_t kNameBuffer = 256;
constexpr std::size_t kSizeBuffer = 30;
constexpr std::size_t kCategoryBuffer = 50;
constexpr std::size_t kStateBuffer = 30;

// A text frame that is there, not empty and not cut at its buffer. A longer
// frame is refused rather than cut: a cut name could lose its extension, a
// cut identity would send our replies nowhere.
std::optional<std::string> ReceiveWholeText(zmq::socket_t& socket, std::size_t bufferSize) {
    auto frame = RecvText(socket, bufferSize);
    if (!frame || frame->cut || frame->longer || frame->text.empty()) return std::nullopt;
    return std::move(frame->text);
}

}  // namespace

BackupSession::BackupSession(LinkContext& link, const StorageLayout& storage, zmq::socket_t& socket,
                             std::span<char> chunkBuffer, std::string identity, std::int64_t total)
    : m_link(link),
      m_storage(storage),
      m_socket(socket),
      m_chunk(chunkBuffer),
      m_identity(std::move(identity)),
      m_total(total) {}

bool BackupSession::Reply(std::string_view word) {
    return SendText(m_socket, m_identity, true) && SendText(m_socket, word);
}

bool BackupSession::ReceiveIdentity() {
    auto identity = ReceiveWholeText(m_socket, kIdentityBuffer);
    if (!identity) return false;
    m_identity = std::move(*identity);
    return true;
}

// A receive that fails because the phone went away counts as a disconnect
// when the connection monitor has already noticed it; otherwise as a failure.
BackupSession::Outcome BackupSession::LostPeer() const {
    return m_link.state.IsConnected() ? Outcome::Failed : Outcome::Disconnected;
}

std::optional<BackupSession::Offer> BackupSession::ReceiveOffer() {
    // The four frames of an offer, in order; no more-flag is trusted.
    if (!ReceiveIdentity()) return std::nullopt;
    Offer offer;
    auto name = ReceiveWholeText(m_socket, kNameBuffer);
    if (!name) return std::nullopt;
    auto size = ReceiveWholeText(m_socket, kSizeBuffer);
    if (!size || (offer.size = ParseDecimal64(*size)) <= 0) return std::nullopt;
    auto category = ReceiveWholeText(m_socket, kCategoryBuffer);
    if (!category) return std::nullopt;
    auto state = ReceiveWholeText(m_socket, kStateBuffer);
    if (!state) return std::nullopt;
    // Anything after the state frame is not ours; the next read must start
    // at a message boundary.
    DiscardRestOfMessage(m_socket);
    offer.name = std::move(*name);
    offer.category = std::move(*category);
    offer.state = std::move(*state);
    return offer;
}

BackupSession::Pull BackupSession::PullFile(platform::File& file, std::int64_t announced) {
    bool requested = false;  // a "fetch" is already out for the next chunk
    for (;;) {
        if (!requested) {
            if (!m_link.state.IsConnected()) return Pull::Disconnected;
            if (!Reply(kw::kFetch)) return Pull::Failed;
        }
        if (!ReceiveIdentity())
            return LostPeer() == Outcome::Failed ? Pull::Failed : Pull::Disconnected;
        const auto frame = RecvBinary(m_socket, m_chunk);
        if (!frame) return LostPeer() == Outcome::Failed ? Pull::Failed : Pull::Disconnected;
        DiscardRestOfMessage(m_socket);
        // A chunk larger than its buffer is not a chunk of this protocol.
        if (frame->cut) return Pull::Failed;
        const std::span<const char> data(m_chunk.data(), frame->size);
        if (std::string_view(data.data(), data.size()) == kw::kEndMarker) return Pull::Done;

        const std::int64_t written = m_written + static_cast<std::int64_t>(data.size());
        // A full chunk asks for the next one, unless the phone is already past
        // what it announced: an endless file gets its verdict instead of
        // filling the disk.
        const bool more = data.size() >= kChunkDataSize && written <= announced;
        // The next request goes out before this chunk is written, so that the
        // phone reads and sends while we write; one chunk is still all that
        // is in flight.
        requested = more && m_link.state.IsConnected();
        if (requested && !Reply(kw::kFetch)) return Pull::Failed;
        if (!file.WriteAll(data)) return Pull::WriteFailed;
        m_written = written;
        m_receivedInBackup += static_cast<std::int64_t>(data.size());
        ReportChunk();
        if (!more) return Pull::Done;
    }
}

void BackupSession::Report(const std::string& name, std::int64_t size, bool complete) {
    m_link.frontend.OnFileReceived(name, size, m_previousPath, complete);
    BackupProgress progress;
    progress.totalBytes = m_total;
    progress.receivedBytes = m_receivedInBackup;
    progress.filesDone = ++m_filesDone;
    if (complete) ++m_filesStored;
    progress.currentFile = name;
    m_link.frontend.OnBackupProgress(progress);
}

void BackupSession::ReportChunk() {
    BackupProgress progress;
    progress.totalBytes = m_total;
    progress.receivedBytes = m_receivedInBackup;
    progress.filesDone = m_filesDone;
    m_link.frontend.OnBackupProgress(progress);
}

BackupSession::Outcome BackupSession::Run() {
    while (m_link.state.IsConnected()) {
        const auto offer = ReceiveOffer();
        if (!offer) return LostPeer();
        if (offer->state == kw::kBackingEnd) return Outcome::Completed;

        std::filesystem::path target;
        if (!m_storage.ResolveTargetPath(offer->name, offer->category, target))
            return Outcome::Failed;
        // The phone offers a file again, or one of the same name and size: the
        // earlier copy goes, while the allowance lasts.
        if (m_allowance != 0 && offer->size == m_previousSize && offer->name == m_previousName) {
            --m_allowance;
            platform::RemoveFile(m_previousPath);
        }
        platform::File file = CreateUniqueTargetFile(target);
        if (!file) return Outcome::Failed;
        m_previousName = offer->name;
        m_previousSize = offer->size;
        m_previousPath = target;
        m_written = 0;

        switch (PullFile(file, offer->size)) {
            case Pull::Done:
                break;
            case Pull::Failed:
                return Outcome::Failed;
            case Pull::Disconnected:
                return Outcome::Disconnected;
            case Pull::WriteFailed:
                // The disk is full or failing: the partial file would only eat
                // the room that the next backup needs.
                file.Close();
                platform::RemoveFile(target);
                return Outcome::Failed;
        }

        bool complete = m_written == offer->size;
        std::string_view verdict = kw::kFileEnd;
        if (!complete) {
            if (m_allowance == 0)
                m_allowance = 2;  // kept as received
            else
                verdict = kw::kFileError;  // stays until the phone offers it again
        }
        if (!Reply(verdict)) return Outcome::Failed;
        file.Close();
        Report(offer->name, offer->size, complete);
    }
    return Outcome::Disconnected;
}

}  // namespace harbrook
