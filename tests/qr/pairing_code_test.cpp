#include "qr/pairing_code.h"

#include <gtest/gtest.h>

#include "qr/qr_bitmap.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

class PairingCodeTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    test::RecorderFrontend frontend;
    PairingCode code{frontend};
};

TEST_F(PairingCodeTest, ShowsAddressAndPortAndRewritesOnlyOnChange) {
    const auto bitmap = sandbox.appData() / "qrcode.bmp";
    EXPECT_TRUE(code.UpdatePairingCode("5392"));
    EXPECT_EQ(code.LastText(), "127.0.0.1:5392");
    ASSERT_TRUE(std::filesystem::exists(bitmap));
    const auto firstWrite = std::filesystem::last_write_time(bitmap);

    EXPECT_TRUE(code.UpdatePairingCode("5392"));
    EXPECT_EQ(code.WriteCount(), 1);
    EXPECT_EQ(std::filesystem::last_write_time(bitmap), firstWrite);
    EXPECT_EQ(frontend.qrTexts(), std::vector<std::string>{"127.0.0.1:5392"});

    EXPECT_TRUE(code.UpdatePairingCode("16328"));
    EXPECT_EQ(code.WriteCount(), 2);
    EXPECT_EQ(frontend.qrTexts(), (std::vector<std::string>{"127.0.0.1:5392", "127.0.0.1:16328"}));
    EXPECT_EQ(test::ReadFileBytes(bitmap).size(), EncodeQrBitmap("127.0.0.1:16328").size());
}

class RefusingFrontend : public test::RecorderFrontend {
  public:
    bool ShowQrCode(const std::filesystem::path&, const std::string&) override { return false; }
};

TEST(PairingCodeShow, AFailedShowIsTriedAgainNextTime) {
    test::Sandbox sandbox;
    RefusingFrontend frontend;
    PairingCode code(frontend);
    EXPECT_FALSE(code.UpdatePairingCode("5392"));
    EXPECT_FALSE(code.UpdatePairingCode("5392"));
    EXPECT_EQ(code.WriteCount(), 2);
    EXPECT_EQ(code.LastText(), "");
}

}  // namespace
}  // namespace harbrook
