#include "send/send_files.h"

#include <optional>
#include <string>
#include <utility>

#include "link/decimal_text.h"
#include "link/endpoints.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "link/stop_signal.h"
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
    explicit SendConnection(StopSignal& stop)
        : context(stop), socket(context.get(), zmq::socket_type::dealer) {}
    LinkContextHandle context;
    zmq::socket_t socket;
};

// What a send holds once it has taken the transfer flag.
struct SendHold {
    bool flag = false;
    std::optional<SendConnection> connection;
};

// Releases the flag, the socket and the context, and gives the button back.
void EndSend(LinkContext& link, SendHold& hold) {
    if (std::exchange(hold.flag, false)) link.transferBusy.clear();
    hold.connection.reset();
    RestoreButton(link);
}

// The file's name without folders as UTF-8 that fits the name buffer.
std::optional<std::string> WireName(const std::filesystem::path& file) {
    std::string name = platform::PathToUtf8(file.filename());
    if (name.empty() || !platform::IsValidUtf8(name) || name.size() >= kNameBufferBytes)
        return std::nullopt;
    return name;
}

enum class FileResult { Sent, Skipped, Stop };

// Header, then one piece per reply until the phone says "fileEnd". Reports
// and ends the send itself when it returns Stop.
FileResult SendOneFile(LinkContext& link, SendHold& hold, const std::filesystem::path& path,
                       std::vector<char>& piece) {
    zmq::socket_t& socket = hold.connection->socket;
    auto fail = [&](unsigned message) {
        Say(link, message);
        EndSend(link, hold);
        return FileResult::Stop;
    };
    if (!link.state.IsConnected()) return fail(send_text::kConnectionLost);
    // The file was measured when the send began; it may be gone by now.
    platform::File file = platform::File::OpenRead(path);
    if (!file) return fail(send_text::kBadFiles);
    const auto size = file.Size();
    if (!size) return fail(send_text::kBadFiles);
    if (*size == 0) return FileResult::Skipped;
    const auto name = WireName(path);
    if (!name) return fail(send_text::kBadFiles);
    if (!SendText(socket, *name, true) || !SendText(socket, kw::kSending))
        return fail(send_text::kConnectionLost);
    for (;;) {
        if (!link.state.IsConnected()) return fail(send_text::kConnectionLost);
        const auto reply = RecvText(socket, kReplyBuffer);
        if (!reply || reply->text.empty()) return fail(send_text::kConnectionLost);
        if (reply->text == kw::kFileEnd) return FileResult::Sent;
        if (reply->text == kw::kFileError) return fail(send_text::kNoPermission);
        // Any other word asks for the next piece, read from disk only now.
        const auto got = file.Read(piece);
        if (!got) return fail(send_text::kBadFiles);
        const bool sent = *got > 0 ? SendBytes(socket, std::span<const char>(piece.data(), *got))
                                   : SendText(socket, kw::kEndMarker);
        if (!sent) return fail(send_text::kConnectionLost);
    }
}

void RunSend(LinkContext& link, const std::vector<std::filesystem::path>& files, SendHold& hold) {
    const std::uint64_t total = TotalSelectedSize(files);
    if (total == 0) {
        Say(link, send_text::kBadFiles);
        RestoreButton(link);
        return;
    }
    char address[100];
    std::snprintf(address, sizeof address, "%s:%d", link.state.PhoneAddress().c_str(),
                  link.ports.send);
    if (!IsValidEndpointText(address)) {
        RestoreButton(link);
        return;
    }
    if (link.transferBusy.test_and_set()) {
        Say(link, send_text::kBackupRunning);
        RestoreButton(link);
        return;
    }
    hold.flag = true;
    hold.connection.emplace(link.stop);
    zmq::socket_t& socket = hold.connection->socket;
    SetIdentity(socket, kw::kPcSending);
    SetLinger(socket, link.timing.linger);
    SetReceiveTimeout(socket, link.timing.transferReceive);
    if (!ConnectTo(socket, address)) {
        EndSend(link, hold);
        Say(link, send_text::kConnectionLost);
        return;
    }

    SendText(socket, FormatDecimal64(static_cast<std::int64_t>(total)));
    const auto reply = RecvText(socket, kReplyBuffer);
    unsigned refusal = 0;
    if (!reply || reply->text.empty())
        refusal = send_text::kConnectionLost;
    else if (reply->text == kw::kInsufficient)
        refusal = send_text::kNoSpace;
    else if (reply->text != kw::kSufficient)
        refusal = send_text::kNoPermission;
    if (refusal) {
        Say(link, refusal);
        EndSend(link, hold);
        return;
    }

    // One piece buffer for the whole send; memory does not grow with the files.
    std::vector<char> piece(kSendPieceSize);
    for (const auto& file : files)
        if (SendOneFile(link, hold, file, piece) == FileResult::Stop) return;
    SendText(socket, kw::kSendEndName, true);
    SendText(socket, kw::kSendingEnd);
    Say(link, send_text::kDone);
    EndSend(link, hold);
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

std::jthread OnSendFiles(LinkContext& link, std::vector<std::filesystem::path> files,
                         std::function<void()> ended) {
    if (link.state.PhoneAddress().empty()) {
        Say(link, send_text::kNoPhone);
        return {};
    }
    link.frontend.SetSendButton(LoadUiString(send_text::kSending, kButtonCapacity), false);
    return std::jthread([&link, chosen = std::move(files), ended = std::move(ended)] {
        SendFilesThread(link, chosen);
        if (ended) ended();
    });
}

void SendFilesThread(LinkContext& link, const std::vector<std::filesystem::path>& files) {
    SendHold hold;
    try {
        RunSend(link, files, hold);
    } catch (const zmq::error_t& e) {
        // A stop ends the send quietly; a failure of the library itself looks
        // to the user like a lost connection.
        const bool held = hold.flag || hold.connection;
        if (held) EndSend(link, hold);
        if (!IsTerminated(e)) {
            if (!held) RestoreButton(link);
            Say(link, send_text::kConnectionLost);
        }
    }
}

}  // namespace harbrook
