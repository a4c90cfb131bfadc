#include "tools/phone/phone_receive.h"

#include <string_view>
#include <thread>

#include "link/decimal_text.h"
#include "link/frames.h"
#include "link/keywords.h"
#include "platform/file_io.h"
#include "platform/utf8.h"

namespace harbrook::phone {
namespace {

constexpr std::string_view kPieceReply = "next";
constexpr std::size_t kMaxPiece = 300000;

// One whole message: every frame, the PC's identity first.
std::optional<std::vector<std::string>> ReceiveMessage(zmq::socket_t& socket) {
    zmq::message_t part;
    std::vector<std::string> frames;
    do {
        try {
            if (!socket.recv(part)) return std::nullopt;
        } catch (const zmq::error_t&) {
            return std::nullopt;
        }
        frames.emplace_back(part.data<char>(), part.size());
    } while (part.more());
    return frames;
}

// The phone keeps only the last path element of a name and refuses names
// that would mean a folder.
std::string SafeName(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    if (base.empty() || base == "." || base == "..") base = "unnamed";
    return base;
}

}  // namespace

PhoneReceiver::PhoneReceiver(ReceiveOptions options)
    : m_options(std::move(options)), m_socket(m_context, zmq::socket_type::router) {
    SetReceiveTimeout(m_socket, m_options.timeout);
    SetLinger(m_socket, std::chrono::milliseconds(1000));
    if (m_options.bindAddress.starts_with("127.")) {
        try {
            m_socket.bind("tcp://" + m_options.bindAddress + ":" + std::to_string(m_options.port));
            m_listening = true;
        } catch (const zmq::error_t&) {
        }
    }
}

ReceiveReport PhoneReceiver::Serve(std::ostream* log) {
    ReceiveReport report;
    auto fail = [&](std::string problem) {
        if (log) *log << problem << '\n';
        report.problem = std::move(problem);
        return report;
    };
    auto reply = [&](const std::string& identity, std::string_view word) {
        SendText(m_socket, identity, true);
        SendText(m_socket, word);
    };
    if (!m_listening) return fail("not listening");

    auto first = ReceiveMessage(m_socket);
    if (!first) return fail("no total from the PC");
    if (first->size() != 2)
        return fail("the total came in " + std::to_string(first->size()) + " frames");
    const std::string identity = (*first)[0];
    if (identity != kw::kPcSending) return fail("unexpected PC identity \"" + identity + "\"");
    report.total = (*first)[1];
    if (log) *log << "PC announces " << report.total << " bytes\n";
    if (m_options.silent) return report;
    std::string answer(kw::kSufficient);
    if (m_options.totalReply)
        answer = *m_options.totalReply;
    else if (m_options.space >= 0 && ParseDecimal64(report.total) > m_options.space)
        answer = kw::kInsufficient;
    reply(identity, answer);
    if (answer != kw::kSufficient) return report;

    std::error_code ec;
    std::filesystem::create_directories(m_options.outputFolder, ec);
    platform::File out;
    ReceivedFile* current = nullptr;
    int piecesInSend = 0;
    for (;;) {
        auto message = ReceiveMessage(m_socket);
        if (!message) return fail("the PC went silent");
        const auto& frames = *message;
        if (frames.size() == 3 && frames[1] == kw::kSendEndName && frames[2] == kw::kSendingEnd) {
            if (current) return fail("the send ended in the middle of " + current->name);
            report.ended = true;
            if (log) *log << "sendingEnd after " << report.files.size() << " files\n";
            return report;
        }
        if (frames.size() == 3 && frames[2] == kw::kSending) {
            if (current) return fail("a new file began in the middle of " + current->name);
            report.files.push_back(
                {frames[1], m_options.outputFolder / platform::PathFromUtf8(SafeName(frames[1])), 0,
                 0});
            current = &report.files.back();
            out = platform::File::CreateAlways(current->storedAs);
            if (!out) return fail("cannot create " + platform::PathToUtf8(current->storedAs));
            reply(identity, kPieceReply);
            continue;
        }
        if (frames.size() != 2 || !current) return fail("unexpected message from the PC");
        const std::string& data = frames[1];
        if (data == kw::kEndMarker) {
            out.Close();
            if (log) *log << "received " << current->name << " (" << current->size << " bytes)\n";
            current = nullptr;
            reply(identity, kw::kFileEnd);
            continue;
        }
        if (data.size() > kMaxPiece)
            return fail("a piece of " + std::to_string(data.size()) + " bytes");
        if (!out.WriteAll(data))
            return fail("cannot write " + platform::PathToUtf8(current->storedAs));
        current->size += static_cast<std::int64_t>(data.size());
        ++current->pieces;
        ++piecesInSend;
        if (m_options.fileErrorAfterPieces >= 0 && piecesInSend > m_options.fileErrorAfterPieces) {
            reply(identity, kw::kFileError);
            return report;
        }
        if (m_options.dropAfterPieces >= 0 && piecesInSend >= m_options.dropAfterPieces) {
            if (log) *log << "gone after " << piecesInSend << " pieces\n";
            report.problem = "dropped the send";
            return report;
        }
        if (m_options.pieceDelay.count() > 0) std::this_thread::sleep_for(m_options.pieceDelay);
        reply(identity, kPieceReply);
    }
}

}  // namespace harbrook::phone
