// A stranger on the same network beside the phone: the phone speaks from
// 127.0.0.1, strangers from 127.0.0.2 and 127.0.0.3. Whatever they say in the
// phone's name, only the phone's own address speaks for it, a declared
// address is never believed, and pairing is open only while the code shows.
#include "core/settings_store.h"
#include "tests/link/link_fixture.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

// Given to the fixture before it is built.
struct ClockFirst {
    FixedClock clock{1'800'000'000};
};

class StrangerTest : private ClockFirst, public LinkTest {
  protected:
    StrangerTest() : LinkTest(FastTiming(), ClockFirst::clock) {}

    void Advance(std::chrono::seconds by) {
        ClockFirst::clock.Set(clock().NowSeconds() + by.count());
    }
    const FixedClock& clock() const { return ClockFirst::clock; }

    std::string RecordedAddress(const std::string& id) const {
        for (const PhoneRecord& record : CSettingsStore().ReadPhoneRecords())
            if (record.id == id) return record.address;
        return "<none>";
    }
    // The stranger: the phone's name and identity, another address.
    phone::PhoneProfile Impostor(const phone::PhoneProfile& phone, const std::string& address) {
        auto stranger = MakePhone(phone.id, address);
        stranger.name = phone.name;
        return stranger;
    }
};

TEST_F(StrangerTest, APairingKeepsTheAddressItCameFromAndTheUsersDisconnectGoesThere) {
    Start(PairingServerThread);
    // Speaks from .2, says it is at .3 (and listens there too).
    auto phone = MakePhone("declares", "127.0.0.3");
    phone.sourceAddress = "127.0.0.2";
    auto atSource = phone;
    atSource.address = "127.0.0.2";
    phone::DisconnectListener declared(phone), observed(atSource);
    ASSERT_TRUE(declared.Start());
    ASSERT_TRUE(observed.Start());
    PairPhone(phone);
    EXPECT_EQ(link.state.PhoneAddress(), "127.0.0.2");
    EXPECT_EQ(RecordedAddress("declares"), "127.0.0.2");
    const auto notices = frontend.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("127.0.0.3"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find("127.0.0.2"), std::string::npos) << notices[0];

    DisconnectThread(link);
    EXPECT_EQ(observed.Received(), std::vector<std::string>{"Disconnected"});
    EXPECT_TRUE(declared.Received().empty());
}

TEST_F(StrangerTest, OnlyThePhoneItselfMayGiveNoticeOfItsDisconnect) {
    Start(PairingServerThread);
    Start(DisconnectListenerThread);
    const auto phone = MakePhone("phone-A");
    PairPhone(phone);

    ASSERT_TRUE(phone::SendDisconnectNotice(Impostor(phone, "127.0.0.2"), "127.0.0.1"));
    ASSERT_TRUE(phone::SendDisconnectNotice(MakePhone("evil", "127.0.0.3"), "127.0.0.1"));
    EXPECT_FALSE(WaitFor([&] { return !link.state.IsConnected(); }, 1s));
    EXPECT_FALSE(link.state.IsDisconnectRequested());

    ASSERT_TRUE(phone::SendDisconnectNotice(phone, "127.0.0.1"));
    // The listener marks the request, then the state: wait for both.
    EXPECT_TRUE(
        WaitFor([&] { return link.state.IsDisconnectRequested() && !link.state.IsConnected(); }));
}

TEST_F(StrangerTest, HeartbeatsFromStrangersAreDroppedUnanswered) {
    ASSERT_TRUE(StartMonitor());
    const auto phone = MakePhone("phone-A");
    RecordPaired(phone);
    link.state.SetConnectionState(true, phone.name, phone.id, phone.address);

    {
        // The phone's identity from elsewhere, and one that never paired,
        // while the phone keeps its heartbeat.
        phone::HeartbeatService heartbeat(phone, Monitor(), 50ms);
        heartbeat.Start();
        EXPECT_FALSE(
            phone::SendHeartbeat(Impostor(phone, "127.0.0.2"), Monitor(), "Connected", 600ms));
        EXPECT_FALSE(
            phone::SendHeartbeat(MakePhone("evil", "127.0.0.3"), Monitor(), "Connected", 600ms));
        EXPECT_TRUE(ConnectedAs("phone-A", "127.0.0.1"));
        EXPECT_GT(heartbeat.Answered(), 0u);
        EXPECT_EQ(heartbeat.LastStatus(), "Connected");
    }
    // Nor does their chatter keep a phone that has gone silent connected.
    phone::HeartbeatService chatter(Impostor(phone, "127.0.0.2"), Monitor(), 50ms);
    chatter.Start();
    EXPECT_TRUE(WaitFor([&] { return !link.state.IsConnected(); }, 8 * link.timing.monitorWindow));
    EXPECT_EQ(chatter.Answered(), 0u);
    EXPECT_EQ(frontend.stateChanges().size(), 2u);
}

TEST_F(StrangerTest, ABeaconFromAHostThatNeverPairedIsIgnored) {
    Start(PhoneDetectionThread);
    const auto evil = MakePhone("evil", "127.0.0.3");
    phone::BeaconService beacon(evil, 50ms);
    ASSERT_TRUE(beacon.Start());
    EXPECT_FALSE(WaitFor([&] { return link.state.IsConnected(); }, 3s));
    EXPECT_GE(beacon.BeaconsSent(), 20u);
    EXPECT_TRUE(beacon.Requests().empty()) << "the PC must not even connect to it";

    // The same host once paired is found by the same scan.
    RecordPaired(evil);
    EXPECT_TRUE(WaitFor([&] { return ConnectedAs("evil", "127.0.0.3"); }));
}

TEST_F(StrangerTest, APairedHostAnsweringForAnotherIdentityIsNotConnected) {
    Start(PhoneDetectionThread);
    const auto phone = MakePhone("phone-A", "127.0.0.3");
    RecordPaired(phone);
    phone::BeaconService beacon(MakePhone("never-paired", "127.0.0.3"), 50ms);
    ASSERT_TRUE(beacon.Start());
    ASSERT_TRUE(WaitFor([&] { return beacon.Requests().size() >= 2; }));
    EXPECT_FALSE(link.state.IsConnected());
}

TEST_F(StrangerTest, PairingOnlyWhileTheCodeIsOnShow) {
    Start(PairingServerThread);
    const auto phone = MakePhone("phone-A");
    const auto impostor = Impostor(phone, "127.0.0.2");
    const auto pairs = [&](const phone::PhoneProfile& who) {
        return phone::Pair(who, AwaitPairingText(), 600ms).has_value();
    };
    // Ten minutes after the code was shown, the first phone still pairs:
    // none had paired before.
    Advance(601s);
    ASSERT_TRUE(pairs(phone));
    ASSERT_TRUE(WaitFor([&] {
        return frontend.notices().size() == 1;  // the window closed behind it
    }));
    EXPECT_NE(frontend.notices()[0].find("harbrook"), std::string::npos);

    // Now nobody pairs, least of all a stranger in the phone's name.
    EXPECT_FALSE(pairs(impostor));
    EXPECT_TRUE(ConnectedAs("phone-A", "127.0.0.1"));
    EXPECT_EQ(RecordedAddress("phone-A"), "127.0.0.1");

    // The Connect Phone panel on show opens it, and ten minutes after it went.
    link.pairingWindow.SetPanelShown(true);
    Advance(3600s);
    EXPECT_TRUE(pairs(phone));
    link.pairingWindow.SetPanelShown(false);
    Advance(599s);
    EXPECT_TRUE(pairs(phone));
    Advance(2s);
    EXPECT_FALSE(pairs(phone));
    // A start, a second start or the code in the terminal: the same.
    link.pairingWindow.CodeShown();
    EXPECT_TRUE(pairs(phone));
    Advance(601s);
    EXPECT_FALSE(pairs(phone));
    link.pairingWindow.SetAlwaysOpen(true);
    EXPECT_TRUE(pairs(phone));
    EXPECT_EQ(frontend.notices().size(), 3u) << "one notice per closing";
}

}  // namespace
}  // namespace harbrook::test
