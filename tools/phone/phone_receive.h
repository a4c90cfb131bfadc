// The phone's side of a send from the PC: it listens, answers the total,
// stores every file the PC sends into a folder of its own and answers each
// piece, the way the phone app does. Misbehaviours for tests are options.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>
#include <zmq.hpp>

namespace harbrook::phone {

struct ReceiveOptions {
    std::string bindAddress = "127.0.0.1";
    int port = 13965;
    std::filesystem::path outputFolder;
    std::chrono::milliseconds timeout{15000};
    std::int64_t space = -1;                  // "insufficient" for a larger total; -1: no limit
    std::optional<std::string> totalReply;    // answer the total with this word instead
    int fileErrorAfterPieces = -1;            // answer "fileError" after this many pieces
    bool silent = false;                      // take the total and never answer
    int dropAfterPieces = -1;                 // go away (answer no more) after this many pieces
    std::chrono::milliseconds pieceDelay{0};  // a slow phone: wait this long before each answer
};

struct ReceivedFile {
    std::string name;  // as the PC sent it
    std::filesystem::path storedAs;
    std::int64_t size = 0;
    int pieces = 0;
};

struct ReceiveReport {
    std::string total;  // as the PC announced it
    std::vector<ReceivedFile> files;
    bool ended = false;  // the closing ["123.jpg"]["sendingEnd"] arrived
    std::string problem;
};

class PhoneReceiver {
  public:
    // Binds at once, so the PC may connect as soon as this returns.
    explicit PhoneReceiver(ReceiveOptions options);
    bool IsListening() const { return m_listening; }
    // Serves one send from its total to its end (or to a time-out).
    ReceiveReport Serve(std::ostream* log = nullptr);

  private:
    ReceiveOptions m_options;
    zmq::context_t m_context;
    zmq::socket_t m_socket;
    bool m_listening = false;
};

}  // namespace harbrook::phone
