// The written picture read back by zbarimg, a Linux program the Windows test
// build cannot start.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "qr/qr_bitmap.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

// What zbarimg reads from the picture, without its "QR-Code:" prefix.
std::string DecodeWithZbar(const std::filesystem::path& bitmap) {
    const std::string command = "zbarimg --quiet --raw '" + bitmap.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return "<zbarimg did not start>";
    std::string out;
    std::array<char, 256> chunk{};
    while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe.get()))
        out.append(chunk.data(), n);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

TEST(QrBitmap, WrittenFileDecodesToExactlyTheText) {
    test::Sandbox sandbox;
    const auto bitmap = sandbox.root() / "qrcode.bmp";
    // Lower and upper case stay apart; a text without an address is still encoded.
    for (const std::string text : {"192.168.1.10:5392", "127.0.0.1:24635", ":5392", "aBc.De:7"}) {
        ASSERT_EQ(WriteQrBitmap(text, bitmap), kQrOk) << text;
        EXPECT_EQ(DecodeWithZbar(bitmap), text);
        EXPECT_EQ(test::ReadFileBytes(bitmap).size(), EncodeQrBitmap(text).size());
    }
}

}  // namespace
}  // namespace harbrook
