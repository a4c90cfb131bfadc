// Frames of the phone link: bounded receives that never read past their
// buffer, text sends without terminator, and the socket options we use.
// Errors come back as values; cppzmq exceptions do not leave these helpers,
// except zmq::error_t with ETERM, which tells a worker that it is being stopped.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <zmq.hpp>

#include "link/port_plan.h"

namespace harbrook {

// Largest message a PC socket accepts; a peer that sends more is dropped by the
// library before anything is allocated. Well above every legal frame.
inline constexpr std::int64_t kMaxTextMessage = 64 * 1024;
inline constexpr std::int64_t kMaxChunkMessage = 1024 * 1024;

// One received text frame. The text is what the frame held up to its first
// zero byte, never more than the buffer. A frame that filled the buffer had no
// terminator and is marked cut.
struct TextFrame {
    std::string text;
    bool cut = false;
    bool longer = false;  // the frame was longer than the buffer (its tail is lost)
    bool more = false;    // further frames of the same message follow
    std::string peer;     // the sender's IPv4 address, as PeerAddressOf gives it
};

// Receives one frame into a buffer of bufferSize bytes. Nothing on time-out or
// error.
std::optional<TextFrame> RecvText(zmq::socket_t& socket, std::size_t bufferSize);

// Receives one frame into buffer; the frame's bytes up to the buffer's size.
// `cut` is set when the frame was longer than the buffer.
struct BinaryFrame {
    std::size_t size = 0;  // bytes stored in the buffer
    bool cut = false;
    bool more = false;
    std::string peer;  // the sender's IPv4 address, as PeerAddressOf gives it
};
std::optional<BinaryFrame> RecvBinary(zmq::socket_t& socket, std::span<char> buffer);

// The IPv4 address of the TCP peer a received frame came from, as the library
// saw the connection (never what a message declares); an IPv4-mapped IPv6
// address is given as plain IPv4. Empty when the frame carries none.
std::string PeerAddressOf(const zmq::message_t& message);

// Receives one frame into `message`, whose memory the library filled as the
// bytes arrived: the caller reads it where it lies, without a copy. False on
// time-out or error.
bool RecvFrame(zmq::socket_t& socket, zmq::message_t& message);

// Sends one frame; `more` marks that further frames of the message follow.
bool SendText(zmq::socket_t& socket, std::string_view text, bool more = false);
bool SendBytes(zmq::socket_t& socket, std::span<const char> bytes, bool more = false);

// Drops the rest of a message whose frames we do not want, so the next receive
// starts at a message boundary. Bounded by the socket's own size limit.
void DiscardRestOfMessage(zmq::socket_t& socket);

// Socket options, as 4-byte integers where the library takes ints.
void SetLinger(zmq::socket_t& socket, std::chrono::milliseconds ms);
void SetReceiveTimeout(zmq::socket_t& socket, std::chrono::milliseconds ms);
void SetIdentity(zmq::socket_t& socket, std::string_view identity);
void SetMaxMessageSize(zmq::socket_t& socket, std::int64_t bytes);

// Waits up to `timeout` for input. True when input is ready.
bool PollIn(zmq::socket_t& socket, std::chrono::milliseconds timeout);

enum class PollOutcome { Input, TimedOut, Failed };
PollOutcome WaitForInput(zmq::socket_t& socket, std::chrono::milliseconds timeout);

// Receives one message of exactly bufferSizes.size() frames, the i-th frame
// into a buffer of bufferSizes[i] bytes. A message that ends early is dropped
// as a whole (nothing is returned, and the next receive starts at the next
// message, never inside it); frames beyond the expected ones are discarded.
std::optional<std::vector<TextFrame>> RecvTextMessage(zmq::socket_t& socket,
                                                      std::span<const std::size_t> bufferSizes);

// True when no frame is empty.
bool AllNonEmpty(const std::vector<TextFrame>& frames);

// Sends the texts as the frames of one message.
bool SendTexts(zmq::socket_t& socket, std::initializer_list<std::string_view> frames);

// The reconnect back-off of a connecting socket; 0 leaves the library's value.
void SetReconnectInterval(zmq::socket_t& socket, std::chrono::milliseconds first,
                          std::chrono::milliseconds max);

// Binds "tcp://*:%d" with each port in order; the first that binds wins.
// Returns that port, or 0 when none could be bound.
int BindFirstFree(zmq::socket_t& socket, const PortList& ports);

// Binds "tcp://*:%d". False on failure.
bool BindPort(zmq::socket_t& socket, int port);

// Connects to "tcp://" + addressAndPort. False on failure. The library's
// "source;destination" form ("127.0.0.2:0;127.0.0.1:5392") picks the local
// address the connection leaves from.
bool ConnectTo(zmq::socket_t& socket, std::string_view addressAndPort);

// True when the error means the context was shut down (a worker must end).
bool IsTerminated(const zmq::error_t& e);

}  // namespace harbrook
