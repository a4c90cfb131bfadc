#include "qr/qr_bitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "qr/pairing_code.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

std::uint32_t Le(const std::string& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// What zbarimg reads from the picture, or "" when it reads nothing.
std::string Decode(const std::filesystem::path& bmp) {
    const std::string cmd = "zbarimg --quiet --raw '" + bmp.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(cmd.c_str(), "r"), &pclose);
    std::string out;
    std::array<char, 256> buf{};
    while (pipe && fgets(buf.data(), buf.size(), pipe.get())) out += buf.data();
    while (!out.empty() && (out.back() == '\n')) out.pop_back();
    return out;
}

TEST(QrBitmap, HeaderAndLayoutFollowTheTable) {
    test::Sandbox sandbox;
    const auto path = sandbox.root() / "qrcode.bmp";
    ASSERT_EQ(WriteQrBitmap("192.168.1.10:5392", path), 0);
    const std::string b = test::ReadFileBytes(path);
    QrSymbol symbol;
    ASSERT_TRUE(EncodeQr("192.168.1.10:5392", symbol));
    const int scale = 200 / symbol.width;
    const std::uint32_t side = static_cast<std::uint32_t>(scale * symbol.width);
    const std::uint32_t stride = (side * 3 + 3) / 4 * 4;
    ASSERT_EQ(b.size(), 54 + stride * side);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(Le(b, 2, 4), b.size());
    EXPECT_EQ(Le(b, 6, 4), 0u);
    EXPECT_EQ(Le(b, 10, 4), 54u);
    EXPECT_EQ(Le(b, 14, 4), 40u);
    EXPECT_EQ(Le(b, 18, 4), side);
    EXPECT_EQ(static_cast<std::int32_t>(Le(b, 22, 4)), -static_cast<std::int32_t>(side));
    EXPECT_EQ(Le(b, 26, 2), 1u);
    EXPECT_EQ(Le(b, 28, 2), 24u);
    EXPECT_EQ(Le(b, 30, 4), 0u);
    EXPECT_EQ(Le(b, 34, 4), stride * side);
    for (std::size_t at : {38u, 42u, 46u, 50u}) EXPECT_EQ(Le(b, at, 4), 0u);
    EXPECT_LE(side, 200u);
    // No quiet zone: the finder patterns touch the first and last rows.
    EXPECT_EQ(static_cast<unsigned char>(b[54]), 0);
    EXPECT_EQ(static_cast<unsigned char>(b[54 + stride * (side - 1)]), 0);
    // Padding bytes at the end of a row stay white.
    for (std::uint32_t i = side * 3; i < stride; ++i)
        EXPECT_EQ(static_cast<unsigned char>(b[54 + i]), 0xFF);
}

TEST(QrBitmap, TypicalSizes) {
    // Symbol width -> file size, as 200 / width scaling and 4-byte rows give.
    const std::pair<int, std::size_t> expected[] = {
        {21, 107406}, {25, 120054}, {29, 91230}, {33, 118062}};
    for (auto [width, size] : expected) {
        QrSymbol s;
        s.width = width;
        s.dark.assign(static_cast<std::size_t>(width * width), false);
        EXPECT_EQ(QrBitmapBytes(s).size(), size) << width;
    }
}

TEST(QrBitmap, DecodesToExactlyTheText) {
    test::Sandbox sandbox;
    for (const std::string text : {"127.0.0.1:5392", "192.168.100.200:16328", ":24635"}) {
        const auto path = sandbox.root() / "code.bmp";
        ASSERT_EQ(WriteQrBitmap(text, path), 0);
        EXPECT_EQ(Decode(path), text);
    }
}

TEST(QrBitmap, Failures) {
    test::Sandbox sandbox;
    EXPECT_EQ(WriteQrBitmap("", sandbox.root() / "x.bmp"), -1);
    EXPECT_EQ(WriteQrBitmap("1.2.3.4:5", sandbox.root() / "missing" / "x.bmp"), -3);
}

TEST(PairingCode, RewritesOnlyWhenTheTextChanges) {
    test::Sandbox sandbox;
    test::RecorderFrontend frontend;
    PairingCode code(frontend);
    ASSERT_TRUE(code.UpdatePairingCode("5392"));
    EXPECT_EQ(code.LastText(), "127.0.0.1:5392");
    const auto path = sandbox.appData() / "qrcode.bmp";
    ASSERT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);
    ASSERT_TRUE(code.UpdatePairingCode("5392"));
    EXPECT_FALSE(std::filesystem::exists(path)) << "same text: the file is not touched";
    ASSERT_TRUE(code.UpdatePairingCode("16328"));
    EXPECT_EQ(Decode(path), "127.0.0.1:16328");
    EXPECT_EQ(frontend.qrTexts(), (std::vector<std::string>{"127.0.0.1:5392", "127.0.0.1:16328"}));
}

}  // namespace
}  // namespace harbrook
