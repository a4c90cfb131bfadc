// Phone detection across the /24 scan, and the rules that keep a phone that
// said goodbye from coming back before it pairs.
#include "platform/profile.h"
#include "tests/link/link_fixture.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

class DetectionTest : public LinkTest {
  protected:
    using LinkTest::LinkTest;
    bool SawRequestWith(const phone::BeaconService& beacon, const std::string& status) const {
        for (const auto& r : beacon.Requests())
            if (r.status == status) return true;
        return false;
    }
};

TEST_F(DetectionTest, ABeaconOnHost37IsFoundAndThePhoneMarkedConnected) {
    Start(PhoneDetectionThread);
    const auto phone = MakePhone("p37", "127.0.0.37");
    RecordPaired(phone);
    phone::BeaconService beacon(phone, 100ms);
    ASSERT_TRUE(beacon.Start());
    ASSERT_TRUE(WaitFor([&] { return ConnectedAs("p37"); }, 10s));
    EXPECT_EQ(link.state.PhoneAddress(), "127.0.0.37");
    EXPECT_EQ(link.state.PhoneName(), "Phone p37");

    const auto requests = beacon.Requests();
    ASSERT_FALSE(requests.empty());
    const auto& r = requests.front();
    EXPECT_EQ(r.routingId, "PCDETECT");
    EXPECT_EQ(r.frames, (std::vector<std::string>{
                            PcId(), "127.0.0.1:" + std::to_string(plan.monitor[0]), "Connected",
                            "127.0.0.1:" + std::to_string(plan.backup[0])}));
    EXPECT_TRUE(WaitFor([&] { return folders.Calls() == 1; }));
    EXPECT_EQ(folders.LastNeed(), 1024);
    // While the phone is connected the scan rests: no further requests.
    const std::size_t seen = beacon.Requests().size();
    EXPECT_FALSE(WaitFor([&] { return beacon.Requests().size() > seen + 1; }, 500ms));
}

TEST_F(DetectionTest, ABeaconPointingOutsideTheScannedNetworkIsIgnored) {
    Start(PhoneDetectionThread);
    // Elsewhere on loopback, but not in the scanned 127.0.0.0/24.
    const auto elsewhere = MakePhone("elsewhere", "127.0.1.40");
    phone::BeaconService target(elsewhere, 100ms);
    ASSERT_TRUE(target.Start());
    const auto phone = MakePhone("p40", "127.0.0.40");
    RecordPaired(phone);
    phone::BeaconService beacon(phone, 100ms);
    const std::vector<std::string> texts{elsewhere.DetectEndpoint(),
                                         "localhost:" + std::to_string(elsewhere.detectPort),
                                         phone.DetectEndpoint() + "x"};
    beacon.SetBeaconText(texts[0]);
    ASSERT_TRUE(beacon.Start());
    for (const std::string& text : texts) {
        beacon.SetBeaconText(text);
        const std::size_t sent = beacon.BeaconsSent();
        ASSERT_TRUE(WaitFor([&] { return beacon.BeaconsSent() >= sent + 5; }));
    }
    EXPECT_FALSE(link.state.IsConnected());
    EXPECT_TRUE(target.Requests().empty());
    EXPECT_TRUE(beacon.Requests().empty());
    // The same scan still finds a phone that names itself (given time: under
    // wine on a loaded machine this has taken more than 10 s).
    beacon.SetBeaconText(std::nullopt);
    EXPECT_TRUE(WaitFor([&] { return ConnectedAs("p40"); }, 30s));
}

TEST_F(DetectionTest, APhoneThatStartsItsBeaconLaterIsStillFound) {
    Start(PhoneDetectionThread);
    const auto phone = MakePhone("late", "127.0.0.201");
    RecordPaired(phone);
    // The phone comes up after the scan's connects have backed off to their
    // longest; nothing connects meanwhile.
    EXPECT_FALSE(WaitFor(
        [&] { return link.state.IsConnected(); },
        std::chrono::duration_cast<std::chrono::milliseconds>(3 * link.timing.scanReconnectMax)));
    phone::BeaconService beacon(phone, 100ms);
    ASSERT_TRUE(beacon.Start());
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return ConnectedAs("late"); }, 10s));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

// The scan's intervals as shipped: the hosts that never answered back off to
// tens of seconds; the rest of the timings stay fast.
Timing ShippedScan() {
    Timing t = FastTiming();
    const Timing shipped;
    t.scanReconnect = shipped.scanReconnect;
    t.scanReconnectMax = shipped.scanReconnectMax;
    t.scanReconnectLastPhone = shipped.scanReconnectLastPhone;
    return t;
}

class ReturningPhoneTest : public DetectionTest {
  protected:
    ReturningPhoneTest() : DetectionTest(ShippedScan()) {}
};

TEST_F(ReturningPhoneTest, ThePhoneConnectedLastIsFoundSoonAfterItComesBack) {
    const auto phone = MakePhone("back", "127.0.0.202");
    RecordPaired(phone);
    {
        phone::BeaconService beacon(phone, 100ms);
        ASSERT_TRUE(beacon.Start());
        Start(PhoneDetectionThread);
        ASSERT_TRUE(WaitFor([&] { return ConnectedAs("back"); }, 10s));
    }
    // The phone goes away. While nothing answers, every other host's retries
    // back off to seconds (the next one more than 1.8 s away by now).
    link.state.SetConnectionState(false, "", "", "");
    EXPECT_FALSE(WaitFor([&] { return link.state.IsConnected(); }, 5200ms));
    phone::BeaconService beacon(phone, 100ms);
    ASSERT_TRUE(beacon.Start());
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return ConnectedAs("back"); }, 30s));
    // Its address is retried at most 600 ms apart, and it beacons every
    // 100 ms; the rest is room for a busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);
}

TEST_F(DetectionTest, APhoneThatDeclinesIsNotConnected) {
    Start(PhoneDetectionThread);
    const auto phone = MakePhone("shy");
    RecordPaired(phone);
    phone::BeaconService beacon(phone, 100ms);
    beacon.SetAnswer("Busy");
    ASSERT_TRUE(beacon.Start());
    ASSERT_TRUE(WaitFor([&] { return beacon.Requests().size() >= 2; }));
    EXPECT_FALSE(link.state.IsConnected());
    EXPECT_TRUE(frontend.stateChanges().empty());
}

TEST_F(DetectionTest, AfterTheDisconnectNoticeOnlyAPairingBringsThePhoneBack) {
    Start(PairingServerThread);
    Start(ConnectionMonitorThread);
    Start(PhoneDetectionThread);
    Start(DisconnectListenerThread);
    const auto phone = MakePhone("bye");
    phone::BeaconService beacon(phone, 100ms);
    ASSERT_TRUE(beacon.Start());
    PairPhone(phone);

    ASSERT_TRUE(phone::SendDisconnectNotice(phone, "127.0.0.1"));
    ASSERT_TRUE(WaitFor([&] { return !link.state.IsConnected(); }));
    EXPECT_TRUE(link.state.IsDisconnectRequested());

    // The scan finds the phone, tells it "Disconnected" and ignores its "Connected".
    ASSERT_TRUE(WaitFor([&] { return SawRequestWith(beacon, "Disconnected"); }));
    const std::size_t seen = beacon.Requests().size();
    ASSERT_TRUE(WaitFor([&] { return beacon.Requests().size() >= seen + 2; }));
    EXPECT_FALSE(link.state.IsConnected());
    // The monitor no longer answers heartbeats "Connected".
    const auto late = phone::SendHeartbeat(phone, link.BuildMonitorEndpoint(), "Connected", 300ms);
    EXPECT_FALSE(late && late->status == "Connected");
    EXPECT_FALSE(link.state.IsConnected());

    PairPhone(phone);
    EXPECT_FALSE(link.state.IsDisconnectRequested());
    const auto answer = phone::SendHeartbeat(phone, link.BuildMonitorEndpoint());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, "Connected");
}

TEST_F(DetectionTest, SilenceDisconnectsAndTheScanFindsThePhoneAgain) {
    Start(PairingServerThread);
    Start(ConnectionMonitorThread);
    Start(PhoneDetectionThread);
    const auto phone = MakePhone("back", "127.0.0.9");
    phone::BeaconService beacon(phone, 100ms);
    ASSERT_TRUE(beacon.Start());
    PairPhone(phone);
    // No heartbeat: the monitor lets go, the detection picks the phone up again.
    ASSERT_TRUE(WaitFor([&] {
        const auto changes = frontend.stateChanges();
        return changes.size() >= 3 && !changes[1].connected && changes[2].connected;
    }));
    EXPECT_TRUE(ConnectedAs("back"));
    EXPECT_EQ(link.state.PhoneAddress(), "127.0.0.9");
}

}  // namespace
}  // namespace harbrook::test
