// The Win32 window's own pieces that do not need a screen: what the file
// dialog hands back, the whole-pixel scale of the QR picture, and pictures
// decoded by GDI+.
#include <gtest/gtest.h>

#include <fstream>

#include "qr/qr_bitmap.h"
#include "tests/support/sandbox.h"
#include "ui/win32/file_dialog.h"
#include "ui/win32/graphics.h"

namespace harbrook::win32 {
namespace {

using namespace std::string_literals;

TEST(SplitOpenFileNames, OneFileOrAFolderWithNames) {
    EXPECT_EQ(SplitOpenFileNames(L"C:\\photos\\a.jpg\0\0"s),
              std::vector<std::wstring>{L"C:\\photos\\a.jpg"});
    EXPECT_EQ(SplitOpenFileNames(L"C:\\photos\0a.jpg\0b c.jpg\0\0"s),
              (std::vector<std::wstring>{L"C:\\photos\\a.jpg", L"C:\\photos\\b c.jpg"}));
    // A drive's root already ends with the separator.
    EXPECT_EQ(SplitOpenFileNames(L"D:\\\0x.pdf\0y.pdf\0\0"s),
              (std::vector<std::wstring>{L"D:\\x.pdf", L"D:\\y.pdf"}));
    // The rest of the 26000-character buffer stays zero.
    std::wstring buffer(26000, L'\0');
    buffer.replace(0, 14, L"C:\\d\0one\0two\0"s);
    EXPECT_EQ(SplitOpenFileNames(buffer),
              (std::vector<std::wstring>{L"C:\\d\\one", L"C:\\d\\two"}));
}

TEST(SplitOpenFileNames, NothingFromAnEmptyOrCutOffBuffer) {
    EXPECT_TRUE(SplitOpenFileNames(L"").empty());
    EXPECT_TRUE(SplitOpenFileNames(L"\0\0"s).empty());
    EXPECT_TRUE(SplitOpenFileNames(L"C:\\photos\0a.jpg\0b.j"s).empty());
    EXPECT_TRUE(SplitOpenFileNames(L"C:\\photos\0a.jpg\0"s).empty());
}

TEST(WholePixelScale, LargestWholeFitAtLeastOne) {
    EXPECT_EQ(WholePixelScale(200, 200, 228, 227), 1);
    EXPECT_EQ(WholePixelScale(100, 100, 228, 227), 2);
    EXPECT_EQ(WholePixelScale(75, 75, 228, 227), 3);
    EXPECT_EQ(WholePixelScale(75, 60, 300, 130), 2);    // the height decides
    EXPECT_EQ(WholePixelScale(300, 300, 228, 227), 1);  // too large: shown unscaled
    EXPECT_EQ(WholePixelScale(0, 0, 228, 227), 1);
}

class Pictures : public ::testing::Test {
  protected:
    GdiplusSession gdiplus;
    test::Sandbox sandbox;
};

TEST_F(Pictures, DecodedAtTheirOwnSize) {
    const Image phone = Image::FromFile(MOBILE_JPG);
    EXPECT_EQ(phone.Width(), 180);
    EXPECT_EQ(phone.Height(), 280);
    const Image status = Image::FromFile(STATUS_PNG);
    EXPECT_EQ(status.Width(), 120);
    EXPECT_EQ(status.Height(), 55);
}

// The pairing code becomes one pixel a module, the same modules, so that
// whole-pixel drawing can grow it with the DPI; a photo stays as it is.
TEST_F(Pictures, QrCodeReducedToOnePixelAModule) {
    const auto bytes = EncodeQrBitmap("127.0.0.1:40000");
    const Image qr = Image::FromBytes(bytes.data(), bytes.size());
    const Image reduced = qr.OnePixelPerBlock();
    const int scale = qr.Width() / reduced.Width();
    ASSERT_GT(scale, 1);
    EXPECT_EQ(reduced.Width() * scale, qr.Width());
    EXPECT_EQ(QrGeometryFor(reduced.Width()).scale, scale);
    for (int y = 0; y < reduced.Height(); ++y)
        for (int x = 0; x < reduced.Width(); ++x)
            ASSERT_EQ(reduced.Pixels()[y * reduced.Width() + x],
                      qr.Pixels()[(y * scale + scale - 1) * qr.Width() + x * scale])
                << x << "," << y;
    EXPECT_EQ(Image::FromFile(MOBILE_JPG).OnePixelPerBlock().Width(), 180);
}

TEST_F(Pictures, EmptyMissingOrNotAPictureGivesNothing) {
    EXPECT_TRUE(Image::FromFile(sandbox.root() / "missing.jpg").Empty());
    const auto empty = sandbox.root() / "empty.jpg";
    std::ofstream(empty).close();
    EXPECT_TRUE(Image::FromFile(empty).Empty());
    const std::string text = "GIF89a but nothing after it";
    EXPECT_TRUE(Image::FromBytes(text.data(), text.size()).Empty());
    EXPECT_TRUE(Image::FromResource(99999).Empty());
}

}  // namespace
}  // namespace harbrook::win32
