// libFuzzer target for the GIF block walk: every frame reported lies inside
// the data, and cut out on its own it walks as exactly one frame.
#include <cstdlib>

#include "app/gif_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto layout = harbrook::WalkGif(bytes);
    if (!layout) return 0;
    for (const auto& frame : layout->frames) {
        if (frame.begin < layout->headerSize || frame.begin >= frame.end || frame.end > size)
            std::abort();
        const auto single = harbrook::WalkGif(harbrook::SingleImageGif(bytes, *layout, frame));
        if (!single || single->frames.size() != 1) std::abort();
    }
    return 0;
}
