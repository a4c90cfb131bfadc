// The phone's disconnect notice and the user's disconnect.
#include <zmq.hpp>

#include "tests/link/link_fixture.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

class DisconnectTest : public LinkTest {};

TEST_F(DisconnectTest, TheUsersDisconnectReachesThePhone) {
    Start(PairingServerThread);
    Start(ConnectionMonitorThread);
    const auto phone = MakePhone("user", "127.0.0.23");
    phone::DisconnectListener listener(phone);
    ASSERT_TRUE(listener.Start());
    PairPhone(phone);

    DisconnectThread(link);
    EXPECT_FALSE(link.state.IsConnected());
    EXPECT_TRUE(link.state.IsDisconnectRequested());
    EXPECT_EQ(link.state.PhoneAddress(), "");
    EXPECT_EQ(listener.Received(), std::vector<std::string>{"Disconnected"});
    EXPECT_FALSE(frontend.stateChanges().back().connected);
    // A heartbeat that still meets the monitor's last window is told
    // "Disconnected"; after that the monitor no longer listens.
    const auto answer =
        phone::SendHeartbeat(phone, link.BuildMonitorEndpoint(), "Connected", 300ms);
    if (answer) {
        EXPECT_EQ(answer->status, "Disconnected");
    }
    EXPECT_FALSE(link.state.IsConnected());
}

TEST_F(DisconnectTest, WithoutAnAddressOnlyTheLocalStateChanges) {
    phone::DisconnectListener listener(MakePhone("quiet"));
    ASSERT_TRUE(listener.Start());
    link.state.SetConnectionState(true, "Quiet", "quiet", "");
    const auto start = std::chrono::steady_clock::now();
    DisconnectThread(link);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(link.state.IsConnected());
    EXPECT_TRUE(link.state.IsDisconnectRequested());
    EXPECT_TRUE(listener.Received().empty());
}

TEST_F(DisconnectTest, AnUnreachablePhoneDoesNotHoldTheThread) {
    link.state.SetConnectionState(true, "Gone", "gone", "127.0.0.88");  // nothing listens there
    const auto start = std::chrono::steady_clock::now();
    DisconnectThread(link);
    EXPECT_LT(std::chrono::steady_clock::now() - start, link.timing.disconnectReply + 500ms);
    EXPECT_FALSE(link.state.IsConnected());
}

TEST_F(DisconnectTest, OnlyTheExactNoticeDisconnects) {
    Start(DisconnectListenerThread);
    link.state.SetConnectionState(true, "Phone", "id", "127.0.0.1");
    // The listener starts over after each wrong notice, so a notice may have to
    // wait for it to bind again: the last one waits long enough for that.
    const auto send = [&](std::string_view text, int lingerMs = 1000) {
        zmq::context_t context;
        zmq::socket_t req(context, zmq::socket_type::req);
        req.set(zmq::sockopt::linger, lingerMs);
        req.connect("tcp://127.0.0.1:" + std::to_string(plan.disconnectNotice));
        req.send(zmq::buffer(text));
    };
    for (std::string_view wrong : {"disconnected", "Disconnected!", "Connected", "Disc"})
        send(wrong);
    // Each notice gets a fresh socket; the right one still arrives after the wrong ones.
    send("Disconnected", 5000);
    ASSERT_TRUE(WaitFor([&] { return !link.state.IsConnected(); }));
    EXPECT_TRUE(link.state.IsDisconnectRequested());
    EXPECT_EQ(frontend.stateChanges().size(), 2u);
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
