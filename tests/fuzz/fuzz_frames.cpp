// The frame readers against any message a peer can send: texts never exceed
// their buffers nor hold a zero byte, and after each reader the socket stands
// at a message boundary, so one odd message never shifts the next.
//
// Input: a mode byte, then frames, each a length byte and that many bytes.
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <zmq.hpp>

#include "link/frames.h"
#include "tests/fuzz/fuzz_check.h"

using namespace harbrook;

namespace {

struct Pipe {
    zmq::context_t context;
    zmq::socket_t in{context, zmq::socket_type::pair};
    zmq::socket_t out{context, zmq::socket_type::pair};
    Pipe() {
        out.bind("inproc://fuzz-frames");
        in.connect("inproc://fuzz-frames");
        SetReceiveTimeout(out, std::chrono::milliseconds(1000));
    }
};

void CheckText(const TextFrame& frame, std::size_t bufferSize) {
    FUZZ_CHECK(frame.text.size() <= bufferSize);
    FUZZ_CHECK(frame.text.find('\0') == std::string::npos);
    FUZZ_CHECK(!frame.cut || frame.text.size() == bufferSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Pipe pipe;
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    std::vector<std::string_view> frames;
    for (std::size_t i = 1; i < size;) {
        const std::size_t length = std::min<std::size_t>(data[i], size - i - 1);
        frames.emplace_back(reinterpret_cast<const char*>(data) + i + 1, length);
        i += 1 + length;
    }
    if (frames.empty()) frames.emplace_back();
    for (std::size_t i = 0; i < frames.size(); ++i)
        FUZZ_CHECK(SendBytes(pipe.in, std::span<const char>(frames[i].data(), frames[i].size()),
                             i + 1 < frames.size()));

    switch (mode % 3) {
        case 0: {  // an offer: identity, name, size, category, state
            constexpr std::size_t kSizes[] = {30, 256, 30, 50, 30};
            if (const auto message = RecvTextMessage(pipe.out, kSizes)) {
                FUZZ_CHECK(message->size() == std::size(kSizes));
                FUZZ_CHECK(frames.size() >= std::size(kSizes));
                for (std::size_t i = 0; i < message->size(); ++i)
                    CheckText((*message)[i], kSizes[i]);
            }
            break;
        }
        case 1: {  // one text frame, the rest dropped
            const std::size_t bufferSize = 1 + mode / 3 % 64;
            const auto frame = RecvText(pipe.out, bufferSize);
            FUZZ_CHECK(frame.has_value());
            CheckText(*frame, bufferSize);
            FUZZ_CHECK(frame->more == (frames.size() > 1));
            if (frame->more) DiscardRestOfMessage(pipe.out);
            break;
        }
        default: {  // a chunk into a small buffer
            char buffer[64];
            const auto frame = RecvBinary(pipe.out, std::span<char>(buffer, mode / 3 % 64));
            FUZZ_CHECK(frame.has_value());
            FUZZ_CHECK(frame->size <= mode / 3 % 64u);
            FUZZ_CHECK(frame->cut == (frames[0].size() > mode / 3 % 64u));
            if (frame->more) DiscardRestOfMessage(pipe.out);
            break;
        }
    }
    // The next message is read from its start.
    FUZZ_CHECK(SendText(pipe.in, "mark"));
    const auto mark = RecvText(pipe.out, 16);
    FUZZ_CHECK(mark.has_value() && mark->text == "mark" && !mark->more);
    return 0;
}
