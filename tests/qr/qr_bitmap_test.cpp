#include "qr/qr_bitmap.h"

#include <gtest/gtest.h>
#include <qrencode.h>

#include <algorithm>
#include <string>

#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

TEST(QrGeometry, MatchesTheTypicalSizes) {
    struct Row {
        int modules, scale, side, stride;
        std::uint32_t fileSize;
    };
    for (const Row& r : {Row{21, 9, 189, 568, 107406}, Row{25, 8, 200, 600, 120054},
                         Row{29, 6, 174, 524, 91230}, Row{33, 6, 198, 596, 118062}}) {
        const QrBitmapGeometry g = QrGeometryFor(r.modules);
        EXPECT_EQ(g.scale, r.scale) << r.modules;
        EXPECT_EQ(g.side, r.side) << r.modules;
        EXPECT_EQ(g.stride, r.stride) << r.modules;
        EXPECT_EQ(g.fileSize, r.fileSize) << r.modules;
        EXPECT_EQ(g.stride % 4, 0);
    }
}

TEST(QrBitmap, HeadersDescribeATopDown24BitSquare) {
    const auto file = EncodeQrBitmap("192.168.1.10:5392");
    ASSERT_GT(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), file.size());
    EXPECT_EQ(Le32(file, 6), 0u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    const auto width = static_cast<std::int32_t>(Le32(file, 18));
    const auto height = static_cast<std::int32_t>(Le32(file, 22));
    EXPECT_EQ(height, -width);
    EXPECT_LE(width, 200);
    EXPECT_EQ(Le16(file, 26), 1);
    EXPECT_EQ(Le16(file, 28), 24);
    EXPECT_EQ(Le32(file, 30), 0u);
    const std::uint32_t stride = (3 * width + 3) / 4 * 4;
    EXPECT_EQ(Le32(file, 34), stride * width);
    EXPECT_EQ(file.size(), 54 + stride * width);
    for (std::size_t at : {38u, 42u, 46u, 50u}) EXPECT_EQ(Le32(file, at), 0u) << at;
}

TEST(QrBitmap, PixelsAreTheModulesScaledWithoutMargin) {
    const std::string text = "127.0.0.1:16328";
    const auto file = EncodeQrBitmap(text);
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1), QRcode_free);
    ASSERT_TRUE(code);
    const QrBitmapGeometry g = QrGeometryFor(code->width);
    ASSERT_EQ(file.size(), g.fileSize);
    int mismatches = 0;
    for (int py = 0; py < g.side; ++py) {
        const std::uint8_t* row = file.data() + 54 + static_cast<std::size_t>(py) * g.stride;
        for (int px = 0; px < g.side; ++px) {
            const bool dark = code->data[(py / g.scale) * code->width + px / g.scale] & 1;
            const std::uint8_t want = dark ? 0x00 : 0xFF;
            for (int c = 0; c < 3; ++c) mismatches += row[3 * px + c] != want;
        }
        for (int pad = 3 * g.side; pad < g.stride; ++pad) mismatches += row[pad] != 0xFF;
    }
    EXPECT_EQ(mismatches, 0);
    // Finder patterns reach the edges: the first and last rows have black.
    const auto rowHasBlack = [&](int py) {
        const std::uint8_t* row = file.data() + 54 + static_cast<std::size_t>(py) * g.stride;
        return std::find(row, row + 3 * g.side, 0) != row + 3 * g.side;
    };
    EXPECT_TRUE(rowHasBlack(0));
    EXPECT_TRUE(rowHasBlack(g.side - 1));
}

TEST(QrBitmap, WrittenFileIsTheEncodedBitmapByteForByte) {
    test::Sandbox sandbox;
    const auto bitmap = sandbox.root() / "qrcode.bmp";
    for (const std::string text : {"192.168.1.10:5392", "127.0.0.1:24635", ":5392", "aBc.De:7"}) {
        ASSERT_EQ(WriteQrBitmap(text, bitmap), kQrOk) << text;
        const auto encoded = EncodeQrBitmap(text);
        ASSERT_FALSE(encoded.empty()) << text;
        // Compared as bytes, not through gtest's printer of a 100 kB string.
        EXPECT_TRUE(test::ReadFileBytes(bitmap) == std::string(encoded.begin(), encoded.end()))
            << text;
    }
}

TEST(QrBitmap, FailuresAreReportedAndLeaveNoFile) {
    test::Sandbox sandbox;
    const auto bitmap = sandbox.root() / "qrcode.bmp";
    EXPECT_EQ(WriteQrBitmap("", bitmap), kQrEncodeFailed);
    EXPECT_FALSE(std::filesystem::exists(bitmap));
    EXPECT_TRUE(EncodeQrBitmap("").empty());
    EXPECT_EQ(WriteQrBitmap("1.2.3.4:5", sandbox.root() / "missing" / "qrcode.bmp"), kQrCannotOpen);
    // Too long for any symbol at level H.
    EXPECT_EQ(WriteQrBitmap(std::string(2000, 'x'), bitmap), kQrEncodeFailed);
}

}  // namespace
}  // namespace harbrook
