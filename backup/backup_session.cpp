#include "backup/backup_session.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

#include "backup/backup_receiver.h"
#include "core/peer_text.h"
#include "link/decimal_text.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "locale/string_ids.h"
#include "locale/system_error.h"
#include "locale/ui_strings.h"
#include "platform/utf8.h"

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

// A + b without passing the largest number (announced sizes come from the phone).
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    return a > std::numeric_limits<std::int64_t>::max() - b
               ? std::numeric_limits<std::int64_t>::max()
               : a + b;
}

constexpr auto kChunkData = static_cast<std::int64_t>(kChunkDataSize);

// A stored path for a reason text: UTF-8, control characters written out.
std::string Shown(const std::filesystem::path& path) {
    return EscapeControls(platform::PathToUtf8(path));
}

constexpr std::size_t kReason = 512;

// "cannot write <path>: the disk is full (system error 28)", in the user's
// language, for the last file operation that failed.
std::string FileFailure(unsigned sentence, const std::filesystem::path& path) {
    const platform::FileError error = platform::LastFileError();  // before anything else runs
    return FormatUiText(LoadUiString(sentence, kReason), {Shown(path), DescribeFileError(error)});
}

}  // namespace

BackupSession::Pull BackupSession::Failing(std::string why) {
    m_failure = std::move(why);
    return Pull::Failed;
}

BackupSession::BackupSession(LinkContext& link, const StorageLayout& storage, zmq::socket_t& socket,
                             std::string identity, std::string peer, std::int64_t total)
    : m_link(link),
      m_storage(storage),
      m_socket(socket),
      m_identity(std::move(identity)),
      m_peer(std::move(peer)),
      m_total(total),
      m_storeLimit(SaturatingAdd(total, kChunkData)),
      m_stamp(BackupStamp(std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count())) {}

bool BackupSession::Reply(std::string_view word) {
    return SendText(m_socket, m_identity, true) && SendText(m_socket, word);
}

// The next message of the phone being served. Messages of any other peer are
// dropped unanswered: a phone keeps one identity and one address for a whole
// backup, and a stranger must not write into it nor end it. Strangers cannot
// stretch the wait past one receive time-out either.
bool BackupSession::ReceiveIdentity() {
    const auto deadline = std::chrono::steady_clock::now() + m_link.timing.transferReceive;
    for (;;) {
        // Compared where it lies: this runs for every chunk. The phone's
        // identity is never longer than its buffer and holds no zero byte.
        if (!RecvFrame(m_socket, m_frame)) return false;
        if (m_frame.size() < kIdentityBuffer &&
            std::string_view(m_frame.data<char>(), m_frame.size()) == m_identity &&
            PeerAddressOf(m_frame) == m_peer)
            return true;
        DiscardRestOfMessage(m_socket);
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
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

BackupSession::Pull BackupSession::PullFile(IncomingFile& file, std::int64_t announced) {
    // No file keeps more than one chunk past its size, whatever its chunks hold.
    const std::int64_t fileLimit = SaturatingAdd(announced, kChunkData);
    bool requested = false;  // a "fetch" is already out for the next chunk
    for (;;) {
        if (!requested) {
            if (!m_link.state.IsConnected()) return Pull::Disconnected;
            if (!Reply(kw::kFetch)) return Failing(LoadUiString(kStrPhoneNotAnswered, kReason));
        }
        if (!ReceiveIdentity() || !RecvFrame(m_socket, m_frame)) {
            if (LostPeer() == Outcome::Disconnected) return Pull::Disconnected;
            return Failing(FormatUiText(LoadUiString(kStrPhoneSentNoPart, kReason),
                                        {EscapeControls(m_previousName)}));
        }
        if (m_frame.more()) DiscardRestOfMessage(m_socket);
        // A chunk larger than the phone app's buffer is not a chunk of this
        // protocol.
        if (m_frame.size() > kChunkBufferSize)
            return Failing(LoadUiString(kStrPartTooLarge, kReason));
        std::span<const char> data(m_frame.data<char>(), m_frame.size());
        if (std::string_view(data.data(), data.size()) == kw::kEndMarker) return Pull::Done;
        data = data.first(static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(data.size()), fileLimit - m_written)));
        // The backup as a whole keeps no more than the phone announced (and
        // one chunk): a phone that says one byte cannot fill the disk.
        if (m_stored + static_cast<std::int64_t>(data.size()) > m_storeLimit) {
            m_failure = LoadUiString(kStrBackupOverAnnounced, kReason);
            return Pull::OverLimit;
        }

        const std::int64_t written = m_written + static_cast<std::int64_t>(data.size());
        // A full chunk asks for the next one, unless the phone is already past
        // what it announced: an endless file gets its verdict instead of
        // filling the disk.
        const bool more = m_frame.size() >= kChunkDataSize && written <= announced;
        // The next request goes out before this chunk is written, so that the
        // phone reads and sends while we write; one chunk is still all that
        // is in flight.
        requested = more && m_link.state.IsConnected();
        if (requested && !Reply(kw::kFetch)) {
            return Failing(LoadUiString(kStrPhoneNotAnswered, kReason));
        }
        if (!file.WriteAll(data)) {
            m_failure = FileFailure(kStrCannotWrite, m_target);
            return Pull::WriteFailed;
        }
        // Hashed right after the write, on this thread, while the bytes are
        // still in this core's cache and the phone sends the next chunk. A
        // thread of its own for the digest cost more than it saved: the bytes
        // came in from memory a second time, and the verdict waited at the
        // end of every file until the other thread had caught up.
        if (m_digests) m_hash.Update(data);
        m_written = written;
        m_stored += static_cast<std::int64_t>(data.size());
        m_receivedInBackup += static_cast<std::int64_t>(data.size());
        ReportChunk();
        if (!more) return Pull::Done;
    }
}

void BackupSession::Report(const std::string& name, std::int64_t size, bool complete,
                           const std::filesystem::path& storedAs) {
    m_link.frontend.OnFileReceived(name, size, storedAs, complete);
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

// While the phone makes its next offer, the file system makes the next file,
// still without a name. Where unnamed files cannot be made, every file is
// made under a hidden name as it comes.
void BackupSession::PrepareSpare(const std::filesystem::path& folder) {
    if (m_spare || !m_sparesWork) return;
    m_spare = platform::File::CreateUnnamed(folder);
    m_sparesWork = m_spare.IsOpen();
}

bool BackupSession::TakeStoredContent(std::filesystem::path& target, const Sha256Digest& digest) {
    const auto stored = m_contents.Find(m_written, digest, target);
    if (!stored) return false;
    if (*stored != target) {
        // Under its own free name, as the copy would have been named.
        const auto choice = ChooseFreeName(target);
        if (!choice || !choice->usable || choice->replaces ||
            !platform::LinkFile(*stored, choice->path))
            return false;  // no hard links here (FAT, exFAT): a copy, as ever
        target = choice->path;
        m_contents.Record(target, m_written, digest, m_stamp);
        // A link of ours: a re-sent file may take its place.
        m_previousPath = target;
    } else {
        target = *stored;  // never removed for a re-sent one: it is an earlier backup's
    }
    ++m_alreadyStored;
    return true;
}

void BackupSession::DropRejected() {
    m_rejected.Close();
    m_stored -= std::exchange(m_rejectedBytes, 0);
}

BackupSession::Outcome BackupSession::Run() {
    RemoveLeftoverPartials(m_storage);
    // Without a writable manifest the backup still goes on, as before.
    m_digests = m_storage.FileDigests();
    if (m_digests) m_contents.Open(m_storage.PhoneFolder());
    while (m_link.state.IsConnected()) {
        const auto offer = ReceiveOffer();
        if (!offer) {
            if (LostPeer() == Outcome::Failed)
                m_failure = "the phone sent no next file in time, or a broken offer";
            return LostPeer();
        }
        // Another phone is connected now: this one no longer speaks for it.
        if (m_link.state.PhoneAddress() != m_peer) return Outcome::Disconnected;
        if (offer->state == kw::kBackingEnd) return Outcome::Completed;

        std::filesystem::path target;
        if (!m_storage.ResolveTargetPath(offer->name, offer->category, target)) {
            m_failure =
                FormatUiText(LoadUiString(kStrCannotStore, kReason),
                             {EscapeControls(offer->name), EscapeControls(offer->category)});
            return Outcome::Failed;
        }
        // A file sent again or not, the rejected copy before it gets no name.
        DropRejected();
        // The phone offers a file again, or one of the same name and size: the
        // earlier copy goes, while the allowance lasts.
        if (m_allowance != 0 && offer->size == m_previousSize && offer->name == m_previousName) {
            --m_allowance;
            if (!m_previousPath.empty() && platform::RemoveFile(m_previousPath))
                m_stored -= m_previousStored;
        }
        IncomingFile file = IncomingFile::Create(target, &m_spare, m_sparesWork);
        if (!file) {
            m_failure = FileFailure(kStrCannotCreate, target);
            return Outcome::Failed;
        }
        m_target = target;
        m_previousName = offer->name;
        m_previousSize = offer->size;
        m_previousPath.clear();
        m_previousStored = 0;
        m_written = 0;
        m_hash.Reset();

        switch (PullFile(file, offer->size)) {
            case Pull::Done:
                break;
            case Pull::Failed:
                return Outcome::Failed;  // m_failure says why
            case Pull::Disconnected:
                return Outcome::Disconnected;
            case Pull::WriteFailed:
            case Pull::OverLimit:
                // The file without its name goes as the backup ends: the disk
                // is full or failing, or the phone sends what it never announced.
                return Outcome::Failed;
        }

        const bool complete = m_written == offer->size;
        // A short or long file is named only where the phone will not send it
        // again: when the allowance has run out, it is kept as it came.
        const bool keep = complete || m_allowance == 0;
        if (keep) {
            if (!complete) m_allowance = 2;
            const Sha256Digest digest = m_digests ? m_hash.Finish() : Sha256Digest{};
            if (m_digests && complete && TakeStoredContent(target, digest)) {
                file.Close();  // its bytes go: the content is on the disk already
            } else {
                if (!file.Name(target)) {
                    m_failure = FileFailure(kStrCannotCreate, target);
                    return Outcome::Failed;
                }
                m_previousPath = target;
                m_previousStored = m_written;
                if (m_digests) m_contents.Record(target, m_written, digest, m_stamp);
            }
        }
        if (!Reply(keep ? kw::kFileEnd : kw::kFileError)) {
            m_failure = LoadUiString(kStrPhoneNotAnswered, kReason);
            return Outcome::Failed;
        }
        if (keep) {
            file.Close();
            Report(offer->name, offer->size, complete, target);
        } else {
            m_rejected = std::move(file);
            m_rejectedBytes = m_written;
        }
        PrepareSpare(target.parent_path());
    }
    return Outcome::Disconnected;
}

}  // namespace harbrook
