#include "send/send_files.h"

#include <optional>
#include <string>
#include <utility>

#include "link/decimal_text.h"
#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/stop_signal.h"
#include "link/worker_support.h"
#include "locale/ui_strings.h"
#include "platform/file_io.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

constexpr std::size_t kMessageCapacity = 1024;
constexpr std::size_t kButtonCapacity = 50;
constexpr std::size_t kReplyBuffer = 49;       // replies are read up to 49 bytes
constexpr std::size_t kNameBufferBytes = 512;  // the UTF-8 name with its terminator

void Say(LinkContext& link, unsigned id) {
    link.frontend.ShowMessage(LoadUiString(id, kMessageCapacity));
}

void RestoreButton(LinkContext& link) {
    link.frontend.SetSendButton(LoadUiString(send_text::kSendFiles, kButtonCapacity), true);
}

// The context and socket of one send. The socket is declared after the
// context handle, so it closes first.
struct SendConnection {
    SendConnection(StopSignal& stop, std::chrono::milliseconds lingerTime)
        : context(stop),
          socket(context.get(), zmq::socket_type::dealer),
          linger(socket, lingerTime, stop) {}
    LinkContextHandle context;
    zmq::socket_t socket;
    LingerOnClose linger;
};

// What a send holds once it has taken the transfer flag, and how far it is.
struct SendHold {
    bool flag = false;
    std::optional<SendConnection> connection;
    bool started = false;  // the phone took the total: progress was shown
    BackupProgress progress;
};

// Releases the flag, the socket and the context, and ends the progress.
void EndSend(LinkContext& link, SendHold& hold) {
    if (std::exchange(hold.flag, false)) link.transferBusy.clear();
    hold.connection.reset();
    if (std::exchange(hold.started, false)) link.frontend.OnSendEnded();
}

// The file's name without folders as UTF-8 that fits the name buffer.
std::optional<std::string> WireName(const std::filesystem::path& file) {
    std::string name = platform::PathToUtf8(file.filename());
    if (name.empty() || !platform::IsValidUtf8(name) || name.size() >= kNameBufferBytes)
        return std::nullopt;
    return name;
}

// Header, then one piece per reply until the phone says "fileEnd". Nothing
// when the file is done or skipped, else how the send ends.
std::optional<SendOutcome> SendOneFile(LinkContext& link, SendHold& hold,
                                       const std::filesystem::path& path,
                                       std::vector<char>& piece) {
    zmq::socket_t& socket = hold.connection->socket;
    if (!link.state.IsConnected()) return SendOutcome::ConnectionLost;
    // The file was measured when the send began; it may be gone by now.
    platform::File file = platform::File::OpenRead(path);
    if (!file) return SendOutcome::BadFiles;
    const auto size = file.Size();
    if (!size) return SendOutcome::BadFiles;
    if (*size == 0) return std::nullopt;
    const auto name = WireName(path);
    if (!name) return SendOutcome::BadFiles;
    if (!SendText(socket, *name, true) || !SendText(socket, kw::kSending))
        return SendOutcome::ConnectionLost;
    hold.progress.currentFile = *name;
    for (;;) {
        if (!link.state.IsConnected()) return SendOutcome::ConnectionLost;
        const auto reply = RecvText(socket, kReplyBuffer);
        if (!reply || reply->text.empty()) return SendOutcome::ConnectionLost;
        if (reply->text == kw::kFileEnd) {
            ++hold.progress.filesDone;
            link.frontend.OnSendProgress(hold.progress);
            return std::nullopt;
        }
        if (reply->text == kw::kFileError) return SendOutcome::NoPermission;
        // Any other word asks for the next piece, read from disk only now.
        const auto got = file.Read(piece);
        if (!got) return SendOutcome::BadFiles;
        const bool sent = *got > 0 ? SendBytes(socket, std::span<const char>(piece.data(), *got))
                                   : SendText(socket, kw::kEndMarker);
        if (!sent) return SendOutcome::ConnectionLost;
        if (*got > 0) {
            hold.progress.receivedBytes += static_cast<std::int64_t>(*got);
            link.frontend.OnSendProgress(hold.progress);
        }
    }
}

SendOutcome RunSend(LinkContext& link, const std::vector<std::filesystem::path>& files,
                    SendHold& hold) {
    const std::uint64_t total = TotalSelectedSize(files);
    if (total == 0) return SendOutcome::BadFiles;
    char address[100];
    std::snprintf(address, sizeof address, "%s:%d", link.state.PhoneAddress().c_str(),
                  link.ports.send);
    // No address that could be the phone's: it is not connected.
    if (!IsValidEndpointText(address)) return SendOutcome::NoPhone;
    if (link.transferBusy.test_and_set()) return SendOutcome::BackupRunning;
    hold.flag = true;
    hold.connection.emplace(link.stop, link.timing.linger);
    zmq::socket_t& socket = hold.connection->socket;
    SetIdentity(socket, kw::kPcSending);
    SetReceiveTimeout(socket, link.timing.transferReceive);
    if (!ConnectTo(socket, address)) return SendOutcome::ConnectionLost;

    SendText(socket, FormatDecimal64(static_cast<std::int64_t>(total)));
    const auto reply = RecvText(socket, kReplyBuffer);
    if (!reply || reply->text.empty()) return SendOutcome::NoAnswer;
    if (reply->text == kw::kInsufficient) return SendOutcome::NoSpace;
    if (reply->text != kw::kSufficient) return SendOutcome::NoPermission;

    hold.started = true;
    hold.progress.totalBytes = static_cast<std::int64_t>(total);
    link.frontend.OnSendStarted(hold.progress.totalBytes);
    // One piece buffer for the whole send; memory does not grow with the files.
    std::vector<char> piece(kSendPieceSize);
    for (const auto& file : files)
        if (const auto end = SendOneFile(link, hold, file, piece)) return *end;
    SendText(socket, kw::kSendEndName, true);
    SendText(socket, kw::kSendingEnd);
    return SendOutcome::Sent;
}

}  // namespace

std::uint64_t TotalSelectedSize(const std::vector<std::filesystem::path>& files) {
    std::uint64_t total = 0;
    for (const auto& path : files) {
        const platform::File file = platform::File::OpenRead(path);
        const auto size = file ? file.Size() : std::nullopt;
        if (!size || *size > kMaxSendFileSize) return 0;
        total += *size;
    }
    return total;
}

unsigned SendOutcomeMessage(SendOutcome outcome) {
    switch (outcome) {
        case SendOutcome::Sent:
            return send_text::kDone;
        case SendOutcome::NoPhone:
            return send_text::kNoPhone;
        case SendOutcome::BackupRunning:
            return send_text::kBackupRunning;
        case SendOutcome::SendRunning:
            return send_text::kSendRunning;
        case SendOutcome::BadFiles:
            return send_text::kBadFiles;
        case SendOutcome::NoAnswer:
        case SendOutcome::ConnectionLost:
            return send_text::kConnectionLost;
        case SendOutcome::NoSpace:
            return send_text::kNoSpace;
        case SendOutcome::NoPermission:
            return send_text::kNoPermission;
        case SendOutcome::Stopped:
            break;
    }
    return 0;
}

namespace {
void Report(LinkContext& link, const SendReport& report, SendOutcome outcome) {
    if (report) return report(outcome);
    if (const unsigned message = SendOutcomeMessage(outcome)) Say(link, message);
}
}  // namespace

std::jthread OnSendFiles(LinkContext& link, std::vector<std::filesystem::path> files,
                         SendReport report, std::function<void()> ended) {
    if (link.state.PhoneAddress().empty()) {
        Report(link, report, SendOutcome::NoPhone);
        return {};
    }
    // The button of the running send stays as it is.
    if (link.sendRunning.test_and_set()) {
        Report(link, report, SendOutcome::SendRunning);
        return {};
    }
    link.frontend.SetSendButton(LoadUiString(send_text::kSending, kButtonCapacity), false);
    return std::jthread(
        [&link, chosen = std::move(files), report = std::move(report), ended = std::move(ended)] {
            SendFilesThread(link, chosen, report);
            if (ended) ended();
        });
}

SendOutcome SendFilesThread(LinkContext& link, const std::vector<std::filesystem::path>& files,
                            const SendReport& report) {
    SendHold hold;
    SendOutcome outcome = SendOutcome::Stopped;
    try {
        outcome = RunSend(link, files, hold);
    } catch (const zmq::error_t& e) {
        // A stop ends the send quietly; a failure of the library itself looks
        // to the user like a lost connection.
        outcome = IsTerminated(e) ? SendOutcome::Stopped : SendOutcome::ConnectionLost;
    } catch (const std::exception&) {
        // A file that gave way under us (a file system error, memory): the
        // thread ends like a send of bad files, never with the program.
        outcome = SendOutcome::BadFiles;
    }
    // The send has ended: everything is released before the button comes
    // back, and the button before the outcome is told.
    EndSend(link, hold);
    link.sendRunning.clear();
    RestoreButton(link);
    Report(link, report, outcome);
    return outcome;
}

}  // namespace harbrook
