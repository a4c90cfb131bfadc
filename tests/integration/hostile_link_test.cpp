#include <gtest/gtest.h>

#include <zmq.hpp>

#include "link/frames.h"
#include "link/link_threads.h"
#include "tests/support/link_harness.h"
#include "tools/phone/phone_link.h"

namespace harbrook {
namespace {

using test::WaitFor;

// A peer that sends whatever it is told, as raw frames, from a DEALER.
class RawPeer {
  public:
    explicit RawPeer(int port, const std::string& identity = "junk") {
        SetIdentity(m_socket, identity);
        m_socket.set(zmq::sockopt::linger, 500);
        m_socket.connect("tcp://127.0.0.1:" + std::to_string(port));
    }
    void Send(std::vector<std::string> frames) {
        for (std::size_t i = 0; i < frames.size(); ++i)
            ASSERT_TRUE(SendText(m_socket, frames[i], i + 1 < frames.size()));
    }

  private:
    zmq::context_t m_ctx;
    zmq::socket_t m_socket{m_ctx, zmq::socket_type::dealer};
};

std::vector<std::vector<std::string>> JunkMessages() {
    const std::string binary("\x00\xff\x01\x80junk\x00", 9);
    return {
        {"only one"},
        {"", "", ""},
        {"a", "b", "c", "d", "e", "f", "g", "h"},
        {std::string(10 * 1024 * 1024, 'x')},  // dropped by the size limit
        {binary, binary, binary},
        {std::string(300, 'n'), std::string(300, 'i'), std::string(300, 'a')},
    };
}

TEST(HostileLink, PairingPortSurvivesJunkAndServesTheNextPhone) {
    test::LinkHarness h;
    h.Start(PairingServerThread);
    ASSERT_TRUE(WaitFor([&] { return h.link.pairingPort.load() != 0; }));
    const int port = h.link.pairingPort;
    {
        RawPeer junk(port);
        for (auto& m : JunkMessages()) junk.Send(m);
    }
    // The well-formed 3-frame message after the 8-frame one pairs once; wait
    // until the server listens again before the real phone comes.
    phone::PhoneIdentity pixel;
    pixel.name = "Pixel";
    pixel.id = "real";
    ASSERT_TRUE(WaitFor(
        [&] {
            if (h.link.pairingPort.load() == 0) return false;
            auto reply = phone::Pair("127.0.0.1:" + std::to_string(port), pixel,
                                     std::chrono::milliseconds(1000));
            return reply.has_value();
        },
        std::chrono::seconds(20)));
    ASSERT_TRUE(WaitFor([&] { return h.link.state.PhoneName() == "Pixel"; }));
}

TEST(HostileLink, MonitorDropsMalformedHeartbeats) {
    test::LinkHarness h;
    h.Start(ConnectionMonitorThread);
    ASSERT_TRUE(WaitFor([&] { return h.link.monitorPort.load() != 0; }));
    h.link.state.SetConnectionState(true, "Pixel", "abc", "127.0.0.1");
    {
        RawPeer junk(h.link.monitorPort);
        for (auto& m : JunkMessages()) junk.Send(m);
        junk.Send({"Pixel", "abc", "127.0.0.1", ""});  // empty status: dropped, no answer
    }
    phone::PhoneIdentity pixel;
    pixel.name = "Pixel";
    pixel.id = "abc";
    std::optional<phone::HeartbeatAnswer> answer;
    ASSERT_TRUE(WaitFor([&] {
        answer = phone::Heartbeat(h.link.BuildMonitorEndpoint(), pixel, "Connected",
                                  std::chrono::milliseconds(500));
        return answer.has_value();
    }));
    EXPECT_EQ(answer->status, "Connected");
    EXPECT_TRUE(h.link.state.IsConnected()) << "malformed beats changed nothing";
    EXPECT_LT(h.Stop().count(), 1000);
}

TEST(HostileLink, DisconnectPortSurvivesJunk) {
    test::LinkHarness h;
    h.Start(DisconnectListenerThread);
    h.link.state.SetConnectionState(true, "Pixel", "abc", "127.0.0.1");
    const std::string notice = "127.0.0.1:" + std::to_string(h.link.ports.disconnectNotice);
    ASSERT_TRUE(phone::SendDisconnectNotice(notice, std::string(10 * 1024 * 1024, 'x')));
    ASSERT_TRUE(phone::SendDisconnectNotice(notice, std::string("Disconnected\0x", 14)));
    ASSERT_TRUE(phone::SendDisconnectNotice(notice, "Disconnected!"));
    ASSERT_TRUE(WaitFor([&] {
        phone::SendDisconnectNotice(notice, "Disconnected");  // repeated if it raced a replacement
        return WaitFor([&] { return !h.link.state.IsConnected(); }, std::chrono::milliseconds(300));
    }));
    EXPECT_EQ(h.frontend.stateChanges().size(), 2u) << "only the exact notice counted";
}

TEST(HostileLink, DetectionSurvivesJunkRepliesAndBeacons) {
    test::LinkHarness h;
    const auto ports = test::FreePorts(2);
    h.Start(PhoneDetectionThread);
    {
        // A "phone" whose beacon points at a ROUTER that answers with junk.
        zmq::context_t ctx;
        zmq::socket_t pub(ctx, zmq::socket_type::pub), router(ctx, zmq::socket_type::router);
        pub.set(zmq::sockopt::linger, 0);
        router.set(zmq::sockopt::linger, 0);
        pub.bind("tcp://127.0.0.21:" + std::to_string(h.link.ports.beacon));
        router.bind("tcp://127.0.0.21:" + std::to_string(ports[0]));
        int answered = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (answered < 3 && std::chrono::steady_clock::now() < until) {
            SendText(pub, "127.0.0.21:" + std::to_string(ports[0]));
            if (!PollIn(router, std::chrono::milliseconds(100))) continue;
            zmq::message_t id;
            ASSERT_TRUE(router.recv(id));
            DiscardRestOfMessage(router);
            const std::vector<std::vector<std::string>> answers = {
                {"Pixel", "", "127.0.0.21", "Connected"},  // empty frame
                {"Pixel", "id", "127.0.0.21"},             // too few
                {std::string(5 << 20, 'x')}};              // too big
            router.send(id, zmq::send_flags::sndmore);
            const auto& a = answers[static_cast<std::size_t>(answered++)];
            for (std::size_t i = 0; i < a.size(); ++i) SendText(router, a[i], i + 1 < a.size());
        }
        ASSERT_EQ(answered, 3);
    }
    EXPECT_FALSE(h.link.state.IsConnected());
    phone::PhoneIdentity pixel;
    pixel.name = "Pixel";
    pixel.address = "127.0.0.22";
    phone::BeaconResponder good(pixel, h.link.ports.beacon, ports[1]);
    EXPECT_TRUE(WaitFor([&] { return h.link.state.IsConnected(); }, std::chrono::seconds(30)));
    EXPECT_EQ(h.link.state.PhoneAddress(), "127.0.0.22");
}

}  // namespace
}  // namespace harbrook
