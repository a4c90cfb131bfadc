// The GIF block walk of the picture control: frames, delays and disposal
// found in hand-made files, and damaged ones refused (tests/fuzz's
// gif_blocks target walks random damage).
#include "app/gif_blocks.h"

#include <gtest/gtest.h>

namespace harbrook {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The header of a 3-by-2 GIF with a two-colour global table.
constexpr std::uint8_t kHeader[] = {'G',  'I', 'F', '8', '9', 'a', 3,   0,   2,  0,
                                    0x80, 0,   0,   0,   0,   0,   255, 255, 255};

// A GIF with 1-by-1 images.
struct GifMaker {
    Bytes bytes = Bytes(std::begin(kHeader), std::end(kHeader));

    GifMaker& Control(int delay, int disposal) {
        Add({0x21, 0xF9, 4, std::uint8_t(disposal << 2), std::uint8_t(delay & 0xFF),
             std::uint8_t(delay >> 8), 0, 0});
        return *this;
    }
    GifMaker& Comment(const std::string& text) {
        Add({0x21, 0xFE, std::uint8_t(text.size())});
        bytes.insert(bytes.end(), text.begin(), text.end());
        Add({0});
        return *this;
    }
    GifMaker& Image(int left, bool localTable = false) {
        Add({0x2C, std::uint8_t(left), 0, 0, 0, 1, 0, 1, 0, std::uint8_t(localTable ? 0x81 : 0)});
        if (localTable) Add(Bytes(12, 7));
        Add({2, 2, 0x44, 0x01, 0});
        return *this;
    }
    GifMaker& Trailer() {
        Add({0x3B});
        return *this;
    }
    void Add(const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
};

TEST(GifBlocks, ThreeImagesWithTheirDelaysAndDisposal) {
    const Bytes gif = GifMaker()
                          .Control(0, 1)
                          .Image(0)
                          .Control(3, 2)
                          .Image(1)
                          .Control(50, 3)
                          .Image(2)
                          .Trailer()
                          .bytes;
    const auto layout = WalkGif(gif);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->width, 3);
    EXPECT_EQ(layout->height, 2);
    EXPECT_EQ(layout->headerSize, 19u);
    ASSERT_EQ(layout->frames.size(), 3u);
    const std::uint32_t delays[] = {0, 3, 50};
    const std::uint32_t waits[] = {100, 100, 500};
    for (std::size_t i = 0; i < 3; ++i) {
        const GifFrame& frame = layout->frames[i];
        EXPECT_EQ(frame.left, int(i));
        EXPECT_EQ(frame.width, 1);
        EXPECT_EQ(frame.delay, delays[i]);
        EXPECT_EQ(frame.disposal, i + 1);
        EXPECT_EQ(GifFrameWaitMs(frame.delay), waits[i]);
        EXPECT_EQ(gif[frame.begin], 0x21) << "the frame starts at its control extension";
        EXPECT_EQ(gif[frame.end - 1], 0) << "and ends with the image's terminator";
        const auto single = WalkGif(SingleImageGif(gif, *layout, frame));
        ASSERT_TRUE(single);
        EXPECT_EQ(single->frames.at(0).delay, delays[i]) << "cut out with its own control";
    }
}

TEST(GifBlocks, AnImageWithoutControlWaitsUntilStopped) {
    const Bytes gif = GifMaker().Image(0).Trailer().bytes;
    const auto layout = WalkGif(gif);
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->frames.size(), 1u);
    EXPECT_EQ(layout->frames[0].delay, 0xFFFFFFFFu);
    EXPECT_EQ(layout->frames[0].disposal, 0u);
    EXPECT_EQ(GifFrameWaitMs(0xFFFFFFFFu), 0xFFFFFFF6u);  // about 50 days
    EXPECT_EQ(layout->frames[0].begin, layout->headerSize);
}

TEST(GifBlocks, BlocksBetweenControlAndImageBelongToTheFrame) {
    const Bytes gif = GifMaker().Control(7, 0).Comment("hi").Image(0, true).Trailer().bytes;
    const auto layout = WalkGif(gif);
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->frames.size(), 1u);
    EXPECT_EQ(layout->frames[0].begin, layout->headerSize);
    EXPECT_EQ(layout->frames[0].end, gif.size() - 1) << "the local colour table is skipped";
    EXPECT_EQ(layout->frames[0].delay, 7u);

    // One image cut out of it is a GIF of its own that walks the same way.
    const Bytes single = SingleImageGif(gif, *layout, layout->frames[0]);
    EXPECT_EQ(single, gif);
}

TEST(GifBlocks, NoImageOrNoGifIsNothing) {
    EXPECT_FALSE(WalkGif(GifMaker().Trailer().bytes));
    EXPECT_FALSE(WalkGif(GifMaker().Comment("only words").Trailer().bytes));
    EXPECT_FALSE(WalkGif(Bytes{}));
    EXPECT_FALSE(WalkGif(Bytes{'G', 'I', 'F'}));
    Bytes jpeg = GifMaker().Image(0).Trailer().bytes;
    jpeg[0] = 0xFF;
    EXPECT_FALSE(WalkGif(jpeg));
}

TEST(GifBlocks, ABrokenBlockEndsTheWalkWithTheImagesBeforeIt) {
    Bytes gif = GifMaker().Image(0).Image(1).bytes;
    gif.push_back(0x99);  // no block starts like this
    gif.insert(gif.end(), {0x2C, 2, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B});
    const auto layout = WalkGif(gif);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->frames.size(), 2u);

    // An unknown extension label, and an image whose data runs off the end.
    GifMaker unknown;
    unknown.Add({0x21, 0x33, 0});
    EXPECT_FALSE(WalkGif(unknown.Image(0).Trailer().bytes));
    Bytes cut = GifMaker().Image(0).bytes;
    cut.resize(cut.size() - 2);
    EXPECT_FALSE(WalkGif(cut));
    // A global colour table longer than the file.
    Bytes table = GifMaker().Image(0).Trailer().bytes;
    table[10] = 0x87;
    EXPECT_FALSE(WalkGif(table));
}

}  // namespace
}  // namespace harbrook
