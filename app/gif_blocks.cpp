#include "app/gif_blocks.h"

namespace harbrook {
namespace {

constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kApplication = 0xFF;
constexpr std::uint8_t kComment = 0xFE;
constexpr std::uint8_t kGraphicControl = 0xF9;
constexpr std::uint8_t kPlainText = 0x01;
constexpr std::size_t kHeaderSize = 13;

int Word(std::span<const std::uint8_t> data, std::size_t at) {
    return data[at] | (data[at + 1] << 8);
}

std::size_t ColourTableSize(std::uint8_t flags) {
    return (flags & 0x80) ? 3u * (2u << (flags & 7)) : 0;
}

// The length of the sub-block sequence at `at`, terminator included; 0 when
// it runs past the end.
std::size_t SubBlocks(std::span<const std::uint8_t> data, std::size_t at) {
    std::size_t length = 0;
    while (at + length < data.size()) {
        const std::size_t size = data[at + length];
        length += 1 + size;
        if (size == 0) return length;
    }
    return 0;
}

enum class Kind { Application, Comment, GraphicControl, PlainText, Image, Trailer, Broken };

struct Block {
    Kind kind = Kind::Broken;
    std::size_t length = 0;
};

// The block at `at`; Broken when its kind is unknown or it does not fit.
Block ReadBlock(std::span<const std::uint8_t> data, std::size_t at) {
    const auto fits = [&](Kind kind, std::size_t fixed, bool subBlocks) -> Block {
        if (at + fixed > data.size()) return {};
        std::size_t length = fixed;
        if (subBlocks) {
            const std::size_t more = SubBlocks(data, at + fixed);
            if (more == 0) return {};
            length += more;
        }
        return {kind, length};
    };
    if (at >= data.size()) return {};
    switch (data[at]) {
        case kTrailer:
            return {Kind::Trailer, 1};
        case kImage: {
            if (at + 10 > data.size()) return {};
            return fits(Kind::Image, 11 + ColourTableSize(data[at + 9]), true);
        }
        case kExtension:
            if (at + 2 > data.size()) return {};
            switch (data[at + 1]) {
                case kApplication:
                    return fits(Kind::Application, 14, true);
                case kComment:
                    return fits(Kind::Comment, 2, true);
                case kGraphicControl:
                    return fits(Kind::GraphicControl, 8, false);
                case kPlainText:
                    return fits(Kind::PlainText, 15, true);
                default:
                    return {};
            }
        default:
            return {};
    }
}

}  // namespace

std::optional<GifLayout> WalkGif(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') {
        return std::nullopt;
    }
    GifLayout layout;
    layout.width = Word(data, 6);
    layout.height = Word(data, 8);
    layout.headerSize = kHeaderSize + ColourTableSize(data[10]);
    // A graphic control extension waiting for its image, or kNone.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t control = kNone;
    for (std::size_t at = layout.headerSize; at < data.size();) {
        const Block block = ReadBlock(data, at);
        if (block.kind == Kind::Broken || block.kind == Kind::Trailer) break;
        if (block.kind == Kind::GraphicControl && control == kNone) control = at;
        if (block.kind == Kind::PlainText) control = kNone;  // its extension was for the text
        if (block.kind == Kind::Image) {
            GifFrame frame;
            frame.begin = control == kNone ? at : control;
            frame.end = at + block.length;
            frame.left = Word(data, at + 1);
            frame.top = Word(data, at + 3);
            frame.width = Word(data, at + 5);
            frame.height = Word(data, at + 7);
            if (control != kNone) {
                frame.delay = static_cast<std::uint32_t>(Word(data, control + 4));
                frame.disposal = (data[control + 3] >> 2) & 7;
            }
            layout.frames.push_back(frame);
            control = kNone;
        }
        at += block.length;
    }
    if (layout.frames.empty()) return std::nullopt;
    return layout;
}

std::vector<std::uint8_t> SingleImageGif(std::span<const std::uint8_t> data,
                                         const GifLayout& layout, const GifFrame& frame) {
    std::vector<std::uint8_t> gif(data.begin(), data.begin() + layout.headerSize);
    gif.insert(gif.end(), data.begin() + frame.begin, data.begin() + frame.end);
    gif.push_back(kTrailer);
    return gif;
}

std::uint32_t GifFrameWaitMs(std::uint32_t delay) {
    return delay >= 5 ? delay * 10u : 100u;
}

}  // namespace harbrook
