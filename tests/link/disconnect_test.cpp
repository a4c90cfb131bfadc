// The phone's disconnect notice and the user's disconnect.
#include <zmq.hpp>

#include "tests/link/link_fixture.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

class DisconnectTest : public LinkTest {};

// A monitor window long enough to be still open when the disconnect comes.
class UserDisconnectTest : public LinkTest {
  protected:
    UserDisconnectTest()
        : LinkTest([] {
              Timing timing = FastTiming();
              timing.monitorWindow = 10s;
              return timing;
          }()) {}
};

TEST_F(UserDisconnectTest, TheUsersDisconnectReachesThePhone) {
    Start(PairingServerThread);
    Start(ConnectionMonitorThread);
    const auto phone = MakePhone("user", "127.0.0.23");
    phone::DisconnectListener listener(phone);
    ASSERT_TRUE(listener.Start());
    PairPhone(phone);
    phone::HeartbeatService heartbeat(phone, link.BuildMonitorEndpoint(), 50ms);
    heartbeat.Start();
    ASSERT_TRUE(WaitFor([&] { return heartbeat.LastStatus() == "Connected"; }));
    heartbeat.Stop();  // from here on every heartbeat is sent after the disconnect

    DisconnectThread(link);
    EXPECT_FALSE(link.state.IsConnected());
    EXPECT_TRUE(link.state.IsDisconnectRequested());
    EXPECT_EQ(link.state.PhoneAddress(), "");
    EXPECT_EQ(listener.Received(), std::vector<std::string>{"Disconnected"});
    EXPECT_FALSE(frontend.stateChanges().back().connected);
    // The heartbeat that meets the window still open is told "Disconnected";
    // then the monitor stops listening, and the phone connects nothing again.
    const auto last = phone::SendHeartbeat(phone, Monitor(), "Connected", 5s);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->status, "Disconnected");
    EXPECT_FALSE(phone::SendHeartbeat(phone, Monitor(), "Connected", 1s));
    EXPECT_FALSE(link.state.IsConnected());
}

TEST_F(DisconnectTest, WithoutAnAddressOnlyTheLocalStateChanges) {
    phone::DisconnectListener listener(MakePhone("quiet"));
    ASSERT_TRUE(listener.Start());
    link.state.SetConnectionState(true, "Quiet", "quiet", "");
    EXPECT_LT(TimeTaken([&] { DisconnectThread(link); }), kStopDeadline);
    EXPECT_FALSE(link.state.IsConnected());
    EXPECT_TRUE(link.state.IsDisconnectRequested());
    EXPECT_TRUE(listener.Received().empty());
}

TEST_F(DisconnectTest, AnUnreachablePhoneDoesNotHoldTheThread) {
    link.state.SetConnectionState(true, "Gone", "gone", "127.0.0.88");  // nothing listens there
    EXPECT_LT(TimeTaken([&] { DisconnectThread(link); }),
              link.timing.disconnectReply + kStopDeadline);
    EXPECT_FALSE(link.state.IsConnected());
}

TEST_F(DisconnectTest, OnlyTheExactNoticeDisconnects) {
    Start(DisconnectListenerThread);
    link.state.SetConnectionState(true, "Phone", "id", "127.0.0.1");
    // The listener starts over after each wrong notice, so a notice may have to
    // wait for it to bind again.
    const auto send = [&](std::string_view text, int lingerMs = 1000) {
        zmq::context_t context;
        zmq::socket_t req(context, zmq::socket_type::req);
        req.set(zmq::sockopt::linger, lingerMs);
        req.connect("tcp://127.0.0.1:" + std::to_string(plan.disconnectNotice));
        req.send(zmq::buffer(text));
    };
    for (std::string_view wrong : {"disconnected", "Disconnected!", "Connected", "Disc"})
        send(wrong);
    EXPECT_TRUE(link.state.IsConnected());
    // Each notice gets a fresh socket, and one that reaches the socket a wrong
    // notice is being taken from goes with it: the right one is sent until it
    // is heard, as it would be once the wrong ones are through.
    ASSERT_TRUE(WaitFor([&] {
        if (link.state.IsConnected()) send("Disconnected", 300);
        return !link.state.IsConnected();
    }));
    EXPECT_TRUE(link.state.IsDisconnectRequested());
    // Connected, then disconnected (a second notice already on its way may
    // disconnect once more, never connect).
    const auto changes = frontend.stateChanges();
    ASSERT_GE(changes.size(), 2u);
    for (std::size_t i = 1; i < changes.size(); ++i) EXPECT_FALSE(changes[i].connected);
}

TEST_F(DisconnectTest, ABusyNoticePortEndsTheListenerQuietly) {
    zmq::context_t context;
    zmq::socket_t blocker(context, zmq::socket_type::rep);
    blocker.set(zmq::sockopt::linger, 0);
    blocker.bind("tcp://*:" + std::to_string(plan.disconnectNotice));
    Start(DisconnectListenerThread);
    ASSERT_TRUE(WaitFor([&] { return Ended(DisconnectListenerThread); }));
    EXPECT_TRUE(frontend.messages().empty());
}

}  // namespace
}  // namespace harbrook::test
