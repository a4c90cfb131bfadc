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
