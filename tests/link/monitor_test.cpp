// The connection monitor: heartbeats keep a phone connected, silence and a
// heartbeat that does not match end the connection.
#include <zmq.hpp>

#include "tests/link/link_fixture.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;
using phone::SendHeartbeat;

class MonitorTest : public LinkTest {
  protected:
    explicit MonitorTest(Timing timing = FastTiming()) : LinkTest(timing) {}
    // A phone marked connected as a pairing would leave it, with the monitor up.
    phone::PhoneProfile ConnectPhone(const std::string& id = "phone-A") {
        auto phone = MakePhone(id);
        EXPECT_TRUE(StartMonitor());
        link.state.SetConnectionState(true, phone.name, phone.id, phone.address);
        return phone;
    }
};

TEST_F(MonitorTest, ProbesTheFirstFreeMonitorPort) {
    zmq::context_t context;
    zmq::socket_t blocker(context, zmq::socket_type::router);
    blocker.set(zmq::sockopt::linger, 0);
    blocker.bind("tcp://*:" + std::to_string(plan.monitor[0]));
    Start(ConnectionMonitorThread);
    ASSERT_TRUE(WaitFor([&] { return link.monitorPort.load() != 0; }));
    EXPECT_EQ(link.monitorPort.load(), plan.monitor[1]);
    EXPECT_EQ(link.BuildMonitorEndpoint(), "127.0.0.1:" + std::to_string(plan.monitor[1]));
}

TEST_F(MonitorTest, HeartbeatsAreAnsweredAndKeepThePhoneConnected) {
    const auto phone = ConnectPhone();
    phone::HeartbeatService heartbeat(phone, Monitor(), 100ms);
    heartbeat.Start();
    // Well past four silent windows (4 x 200 ms) the phone is still connected.
    ASSERT_TRUE(WaitFor([&] { return heartbeat.Answered() >= 12; }));
    EXPECT_TRUE(link.state.IsConnected());
    EXPECT_EQ(heartbeat.LastStatus(), "Connected");
    const auto answer = SendHeartbeat(phone, Monitor());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->frames, (std::vector<std::string>{"Connected", PcId()}));
    EXPECT_EQ(frontend.stateChanges().size(), 1u);  // only the connect itself
}

TEST_F(MonitorTest, TheFourthSilentWindowDisconnects) {
    const auto phone = ConnectPhone();
    ASSERT_TRUE(SendHeartbeat(phone, Monitor()));
    const auto lastHeartbeat = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return !link.state.IsConnected(); }, 5s));
    const auto silence = std::chrono::steady_clock::now() - lastHeartbeat;
    // Three windows are forgiven; only the fourth ends the connection.
    EXPECT_GE(silence, 3 * link.timing.monitorWindow);
    EXPECT_EQ(link.state.PhoneName(), "");
    const auto changes = frontend.stateChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[1].connected);
    EXPECT_FALSE(link.state.IsDisconnectRequested());
    // No longer connected: the monitor no longer listens.
    EXPECT_FALSE(SendHeartbeat(phone, Monitor(), "Connected", 300ms));
}

TEST_F(MonitorTest, HeartbeatFromAnotherPairedPhoneIsAnsweredThenDisconnects) {
    ConnectPhone("phone-A");
    // Identities compare case-sensitively; the other phone speaks from where it paired.
    const auto other = MakePhone("phone-a", "127.0.0.2");
    RecordPaired(other);
    const auto answer = SendHeartbeat(other, Monitor());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, "Connected");
    EXPECT_EQ(answer->pcId, PcId());
    EXPECT_TRUE(WaitFor([&] { return !link.state.IsConnected(); }));
}

TEST_F(MonitorTest, APhoneThatSaysItIsNotConnectedIsDisconnected) {
    const auto phone = ConnectPhone();
    ASSERT_TRUE(SendHeartbeat(phone, Monitor(), "Connected"));
    EXPECT_TRUE(link.state.IsConnected());
    const auto answer = SendHeartbeat(phone, Monitor(), "Paused");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, "Connected");
    EXPECT_TRUE(WaitFor([&] { return !link.state.IsConnected(); }));
}

TEST_F(MonitorTest, HeartbeatsInBetweenResetTheSilenceCount) {
    const auto phone = ConnectPhone();
    // One heartbeat every three windows: never four silent windows in a row.
    const auto until = std::chrono::steady_clock::now() + 12 * link.timing.monitorWindow;
    while (std::chrono::steady_clock::now() < until) {
        ASSERT_TRUE(SendHeartbeat(phone, Monitor()));
        ASSERT_TRUE(link.state.IsConnected());
        const auto next = std::chrono::steady_clock::now() + 2 * link.timing.monitorWindow;
        EXPECT_FALSE(WaitFor([&] { return !link.state.IsConnected(); },
                             std::chrono::duration_cast<std::chrono::milliseconds>(
                                 next - std::chrono::steady_clock::now())));
    }
}

TEST_F(MonitorTest, APhoneWithAnIdentityOfAHundredBytesOrMoreStaysConnected) {
    for (const std::size_t length : {99u, 100u, 150u, 254u}) {
        SCOPED_TRACE(length);
        auto phone = MakePhone(std::string(length, 'i'));
        phone.routingId = "long";  // a routing identity must fit its 20 bytes
        if (link.monitorPort.load() == 0) {
            ASSERT_TRUE(StartMonitor());
        }
        link.state.SetConnectionState(true, phone.name, phone.id, phone.address);
        const auto answer = SendHeartbeat(phone, Monitor());
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, "Connected");
        // Another heartbeat is answered while the first one's verdict stands.
        ASSERT_TRUE(SendHeartbeat(phone, Monitor()));
        EXPECT_TRUE(link.state.IsConnected());
    }
}

class MonitorCountTest : public MonitorTest {
  protected:
    MonitorCountTest() : MonitorTest(SlowerWindows()) {}
    static Timing SlowerWindows() {
        Timing t = FastTiming();
        t.monitorWindow = 400ms;  // room to place a change between two windows
        return t;
    }
};

TEST_F(MonitorCountTest, ANewConnectionIsForgivenEverySilentWindowAgain) {
    const auto phone = ConnectPhone();
    // It survives two and a half silent windows, then ends another way (the
    // phone's notice, the user's disconnect).
    const auto twoAndAHalf =
        std::chrono::duration_cast<std::chrono::milliseconds>(5 * link.timing.monitorWindow / 2);
    EXPECT_FALSE(WaitFor([&] { return !link.state.IsConnected(); }, twoAndAHalf));
    link.state.SetConnectionState(false, "", "", "");
    link.state.SetConnectionState(true, phone.name, phone.id, phone.address);
    // The new connection survives three silent windows, as the first would have.
    EXPECT_FALSE(WaitFor([&] { return !link.state.IsConnected(); }, twoAndAHalf));
}

}  // namespace
}  // namespace harbrook::test
