#include <gtest/gtest.h>

#include "link/link_threads.h"
#include "tests/support/link_harness.h"
#include "tools/phone/phone_link.h"

namespace harbrook {
namespace {

using std::chrono::milliseconds;
using test::WaitFor;

class MonitorTest : public ::testing::Test {
  protected:
    test::LinkHarness h;
    phone::PhoneIdentity pixel;
    std::string monitor;
    void SetUp() override {
        pixel.name = "Pixel";
        pixel.id = "abc123";
        h.Start(ConnectionMonitorThread);
        ASSERT_TRUE(WaitFor([&] { return h.link.monitorPort.load() != 0; }));
        EXPECT_EQ(h.link.monitorPort.load(), h.link.ports.monitor[0]);
        monitor = h.link.BuildMonitorEndpoint();
        h.link.state.SetConnectionState(true, "Pixel", "abc123", "127.0.0.1");
    }
};

TEST_F(MonitorTest, HeartbeatsKeepThePhoneAndSilenceDisconnectsIt) {
    std::string pcId;
    for (int i = 0; i < 8; ++i) {
        const auto answer = phone::Heartbeat(monitor, pixel);
        ASSERT_TRUE(answer) << "heartbeat " << i;
        EXPECT_EQ(answer->status, "Connected");
        pcId = answer->pcId;
        EXPECT_TRUE(h.link.state.IsConnected());
    }
    EXPECT_EQ(pcId.rfind("Windows-", 0), 0u);
    // Silence: the fourth empty window in a row (about 4 x 150 ms) disconnects.
    const auto silentFrom = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return !h.link.state.IsConnected(); }, std::chrono::seconds(5)));
    const auto silentFor = std::chrono::steady_clock::now() - silentFrom;
    EXPECT_GE(silentFor, milliseconds(3 * 150)) << "three silent windows are forgiven";
    EXPECT_EQ(h.link.state.PhoneName(), "");
}

TEST_F(MonitorTest, AMismatchedHeartbeatIsAnsweredThenDisconnects) {
    phone::PhoneIdentity other = pixel;
    other.id = "ABC123";  // identities compare exactly
    const auto answer = phone::Heartbeat(monitor, other);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, "Connected");
    EXPECT_TRUE(WaitFor([&] { return !h.link.state.IsConnected(); }));
}

TEST_F(MonitorTest, APhoneThatSaysItIsGoneIsDisconnected) {
    ASSERT_TRUE(phone::Heartbeat(monitor, pixel, "Paused"));
    EXPECT_TRUE(WaitFor([&] { return !h.link.state.IsConnected(); }));
}

TEST_F(MonitorTest, RequestedDisconnectIsAnsweredAsSuch) {
    h.link.state.SetDisconnectRequested(true);
    const auto answer = phone::Heartbeat(monitor, pixel);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, "Disconnected");
    EXPECT_TRUE(WaitFor([&] { return !h.link.state.IsConnected(); }));
}

TEST(Detection, BeaconAnywhereOnTheNetworkIsFoundAndConnected) {
    test::LinkHarness h;
    const int detectPort = test::FreePorts(1)[0];
    phone::PhoneIdentity pixel;
    pixel.name = "Pixel";
    pixel.id = "abc123";
    pixel.address = "127.0.0.37";
    h.Start(PhoneDetectionThread);
    // The phone starts its beacon after the scan is in place.
    phone::BeaconResponder responder(pixel, h.link.ports.beacon, detectPort);
    ASSERT_TRUE(WaitFor([&] { return h.link.state.IsConnected(); }, std::chrono::seconds(20)));
    EXPECT_EQ(h.link.state.PhoneName(), "Pixel");
    EXPECT_EQ(h.link.state.PhoneAddress(), "127.0.0.37");
    EXPECT_EQ(h.countingFolders.calls.load(), 1);
    const auto requests = responder.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].routingId, "PCDETECT");
    EXPECT_EQ(requests[0].pcId.rfind("Windows-", 0), 0u);
    EXPECT_EQ(requests[0].monitorEndpoint, "127.0.0.1:" + std::to_string(h.link.ports.monitor[0]));
    EXPECT_EQ(requests[0].status, "Connected");
    EXPECT_EQ(requests[0].backupEndpoint, "127.0.0.1:" + std::to_string(h.link.ports.backup[0]));
    EXPECT_LT(h.Stop().count(), 1000);
}

TEST(Detection, AfterTheDisconnectNoticeOnlyAPairingReconnects) {
    test::LinkHarness h;
    h.Start(DisconnectListenerThread);
    h.Start(PhoneDetectionThread);
    h.link.state.SetConnectionState(true, "Pixel", "abc123", "127.0.0.37");
    ASSERT_TRUE(
        phone::SendDisconnectNotice("127.0.0.1:" + std::to_string(h.link.ports.disconnectNotice)));
    ASSERT_TRUE(WaitFor([&] { return !h.link.state.IsConnected(); }));
    EXPECT_TRUE(h.link.state.IsDisconnectRequested());

    phone::PhoneIdentity pixel;
    pixel.address = "127.0.0.37";
    phone::BeaconResponder responder(pixel, h.link.ports.beacon, test::FreePorts(1)[0]);
    ASSERT_TRUE(
        WaitFor([&] { return responder.Requests().size() >= 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(responder.Requests()[0].status, "Disconnected");
    EXPECT_FALSE(h.link.state.IsConnected()) << "the phone's 'Connected' is not accepted";
    // A notice with any other text changes nothing.
    h.link.state.SetDisconnectRequested(false);
    ASSERT_TRUE(WaitFor([&] { return h.link.state.IsConnected(); }, std::chrono::seconds(20)));
    ASSERT_TRUE(phone::SendDisconnectNotice(
        "127.0.0.1:" + std::to_string(h.link.ports.disconnectNotice), "disconnected"));
    // The PC replaces its socket after every notice, so a notice that races the
    // replacement can be lost, as on a real network: the phone repeats it.
    ASSERT_TRUE(WaitFor([&] {
        phone::SendDisconnectNotice("127.0.0.1:" + std::to_string(h.link.ports.disconnectNotice));
        return WaitFor([&] { return !h.link.state.IsConnected(); }, milliseconds(300));
    }));
    const auto changes = h.frontend.stateChanges();
    EXPECT_EQ(changes.size(), 4u) << "connected, noticed, found again, noticed: nothing else";
}

TEST(UserDisconnect, ThePhoneIsToldAndThePcLetsGoAtOnce) {
    test::LinkHarness h;
    phone::DisconnectReceiver receiver("127.0.0.1", h.link.ports.userDisconnect);
    ASSERT_TRUE(WaitFor([&] { return receiver.Started(); }));
    h.link.state.SetConnectionState(true, "Pixel", "abc123", "127.0.0.1");
    DisconnectThread(h.link);
    EXPECT_FALSE(h.link.state.IsConnected());
    EXPECT_TRUE(h.link.state.IsDisconnectRequested());
    ASSERT_TRUE(WaitFor([&] { return receiver.Received().size() == 1; }));
    EXPECT_EQ(receiver.Received()[0], "Disconnected");
}

TEST(UserDisconnect, NoAddressMeansNoTrafficAndNoWait) {
    test::LinkHarness h;
    h.link.state.SetConnectionState(true, "Pixel", "abc123", "");
    const auto start = std::chrono::steady_clock::now();
    DisconnectThread(h.link);
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(200));
    EXPECT_FALSE(h.link.state.IsConnected());
}

TEST(UserDisconnect, AnUnreachablePhoneDoesNotHoldTheThread) {
    test::LinkHarness h;
    h.link.state.SetConnectionState(true, "Pixel", "abc123", "127.0.0.1");  // nobody listens
    const auto start = std::chrono::steady_clock::now();
    DisconnectThread(h.link);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace harbrook
