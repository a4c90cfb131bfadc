// Peers that break the rules: too many frames, too few, empty ones, 10 MB
// frames, binary junk and bytes that are not ZeroMQ at all. The PC must stay
// up, read nothing past its buffers, and serve the next well-formed phone.

#include <zmq.hpp>

#include "link/worker_support.h"
#include "tests/link/link_fixture.h"
#include "tests/support/sandbox_system.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;
using Frames = std::vector<std::string>;

const std::string kTenMegabytes(10 * 1024 * 1024, 'M');

std::string Junk(std::size_t size, unsigned seed) {
    std::string junk(size, '\0');
    std::uint32_t x = seed;
    for (char& c : junk) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
        if (c == ':') c = ';';  // never a host:port text that could lead anywhere
    }
    return junk;
}

// Sends one message of raw frames and waits until it has left.
void SendRaw(const std::string& endpoint, zmq::socket_type type, const Frames& frames,
             const std::string& identity = "hostile") {
    zmq::context_t context;
    zmq::socket_t socket(context, type);
    socket.set(zmq::sockopt::linger, 2000);
    if (type == zmq::socket_type::dealer) socket.set(zmq::sockopt::routing_id, identity);
    socket.connect(endpoint);
    for (std::size_t i = 0; i < frames.size(); ++i)
        socket.send(zmq::buffer(frames[i]),
                    i + 1 < frames.size() ? zmq::send_flags::sndmore : zmq::send_flags::none);
}

// Writes bytes that are not ZeroMQ to a port and hangs up. They open like a
// ZeroMQ greeting that names no known mechanism: raw bytes without it could be
// read as an old-protocol peer's well-formed messages.
void SendBytesNotZmq(int port, std::string bytes) {
    std::string greeting(64, '\0');
    greeting[0] = '\xff';
    greeting[9] = '\x7f';
    greeting[10] = 3;
    greeting.replace(12, 4, "JUNK");
    bytes.insert(0, greeting);
    // A refused connection is fine: the port may have closed already.
    (void)system::WriteToLoopbackPort(port, bytes);
}

// The bad messages for a conversation whose well-formed payload is `good`.
std::vector<std::pair<std::string, Frames>> BadMessages(const Frames& good) {
    Frames more = good;
    more.insert(more.end(), {"extra", Junk(300, 1), ""});
    Frames fewer(good.begin(), good.end() - 1);
    Frames empty(good.size(), "");
    Frames huge = good;
    huge[1] = kTenMegabytes;
    Frames junk;
    for (std::size_t i = 0; i < good.size(); ++i) junk.push_back(Junk(400 + i, 7 + i));
    return {{"more frames", more},   {"fewer frames", fewer}, {"one frame", {good[0]}},
            {"empty frames", empty}, {"10 MB frame", huge},   {"binary junk", junk}};
}

class HostileTest : public LinkTest {
  protected:
    std::string Tcp(int port) const { return "tcp://127.0.0.1:" + std::to_string(port); }
};

TEST_F(HostileTest, PairingServerServesTheNextPhone) {
    Start(PairingServerThread);
    int round = 0;
    for (const auto& [what, frames] : BadMessages({"name", "id", "127.0.0.1"})) {
        SCOPED_TRACE(what);
        const std::string qrText = AwaitPairingText();
        SendBytesNotZmq(link.pairingPort.load(), Junk(70000, 99));
        const std::size_t changes = frontend.stateChanges().size();
        SendRaw("tcp://" + qrText, zmq::socket_type::dealer, frames);
        // The server does not judge the texts: a message with at least the
        // four frames pairs whatever it says; one with fewer is dropped.
        if (what == "more frames" || what == "empty frames" || what == "binary junk") {
            ASSERT_TRUE(WaitFor([&] { return frontend.stateChanges().size() > changes; }));
        }
        auto phone = MakePhone("good-" + std::to_string(++round));
        const auto reply = phone::Pair(phone, AwaitPairingText());
        ASSERT_TRUE(reply);  // (what it says is pairing_test's)
        ASSERT_TRUE(WaitFor([&] { return ConnectedAs(phone.id); }));
        EXPECT_EQ(link.state.PhoneAddress(), "127.0.0.1");
    }
}

TEST_F(HostileTest, MonitorDropsMalformedHeartbeatsAndAnswersTheNextOne) {
    ASSERT_TRUE(StartMonitor());
    const auto phone = MakePhone("steady");
    const std::string monitor = Monitor();
    const Frames good{phone.name, phone.id, phone.address, "Connected"};
    for (const auto& [what, frames] : BadMessages(good)) {
        SCOPED_TRACE(what);
        link.state.SetConnectionState(true, phone.name, phone.id, phone.address);
        SendBytesNotZmq(link.monitorPort.load(), Junk(70000, 5));
        SendRaw("tcp://" + monitor, zmq::socket_type::dealer, frames);
        // The phone's next heartbeat is answered. (The monitor listens on a
        // fresh socket each window, so one that meets a window's end goes
        // with its socket; a phone sends again, and so does this one.)
        std::optional<phone::HeartbeatAnswer> answer;
        for (int attempt = 0; attempt < 3 && !answer; ++attempt)
            answer = phone::SendHeartbeat(phone, monitor, "Connected", 1500ms);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->frames, (Frames{"Connected", PcId()}));
        // Every other bad message is dropped without any change.
        EXPECT_TRUE(ConnectedAs(phone.id));
    }
}

TEST_F(HostileTest, DetectionSurvivesBadBeaconsAndBadReplies) {
    Start(PhoneDetectionThread);
    const auto phone = MakePhone("scan", "127.0.0.44");
    RecordPaired(phone);
    phone::BeaconService beacon(phone, 50ms);

    // Beacons that name no endpoint: the scan starts over and keeps listening.
    beacon.SetBeaconText(Junk(300, 3));
    ASSERT_TRUE(beacon.Start());
    ASSERT_TRUE(WaitFor([&] { return beacon.BeaconsSent() >= 10; }));
    beacon.SetBeaconText("");
    const std::size_t sent = beacon.BeaconsSent();
    ASSERT_TRUE(WaitFor([&] { return beacon.BeaconsSent() >= sent + 10; }));
    EXPECT_TRUE(beacon.Requests().empty());
    beacon.SetBeaconText(std::nullopt);

    const Frames good{phone.name, phone.id, phone.address, "Connected"};
    for (const auto& [what, frames] : BadMessages(good)) {
        SCOPED_TRACE(what);
        // The bad reply is in place before the PC, no longer connected, asks again.
        beacon.SetRawReply(frames);
        const std::size_t seen = beacon.Requests().size();
        link.state.SetConnectionState(false, "", "", "");
        if (what == "more frames") {
            // A well-formed reply stands in front of the extras: it is accepted.
            ASSERT_TRUE(WaitFor([&] { return ConnectedAs(phone.id); }));
            continue;
        }
        ASSERT_TRUE(WaitFor([&] { return beacon.Requests().size() >= seen + 2; }));
        EXPECT_FALSE(link.state.IsConnected());
        beacon.SetRawReply(std::nullopt);
        ASSERT_TRUE(WaitFor([&] { return ConnectedAs(phone.id); }));
    }
}

// Only the exact word disconnects: not another case, a prefix, a longer text,
// an empty or a 10 MB frame, junk, nor bytes that are not ZeroMQ at all.
TEST_F(HostileTest, DisconnectListenerTakesOnlyTheExactNotice) {
    Start(DisconnectListenerThread);
    const std::string endpoint = Tcp(plan.disconnectNotice);
    link.state.SetConnectionState(true, "Phone", "id", "127.0.0.1");
    const Frames bad[] = {{"disconnected"},
                          {"Disconnected!"},
                          {"Connected"},
                          {"Disc"},
                          {""},
                          {kTenMegabytes},
                          {Junk(60, 11)},
                          {"Disconnected" + std::string(60, 'x')}};
    for (const Frames& frames : bad) {
        SendRaw(endpoint, zmq::socket_type::req, frames);
        SendBytesNotZmq(plan.disconnectNotice, Junk(70000, 13));
    }
    EXPECT_TRUE(link.state.IsConnected());
    const auto gone = [&] {
        return link.state.IsDisconnectRequested() && !link.state.IsConnected();
    };
    // The listener starts over after each notice, and a notice that reaches
    // the socket a bad one is being taken from goes with it: the phone's
    // notice is sent until it is heard.
    phone::PhoneProfile phone = MakePhone("notice");
    ASSERT_TRUE(WaitFor([&] {
        if (!gone()) phone::SendDisconnectNotice(phone, "127.0.0.1");
        return gone();
    }));
    // Like any notice, a two-frame one counts by its first frame.
    link.state.SetDisconnectRequested(false);
    link.state.SetConnectionState(true, "Phone", "id", "127.0.0.1");
    EXPECT_TRUE(WaitFor([&] {
        if (!gone()) SendRaw(endpoint, zmq::socket_type::req, {"Disconnected", "and more"});
        return gone();
    }));
}

// A worker whose body throws anything (a file system error on a damaged
// settings file, say) runs again after its pause; the exception never ends
// the program.
TEST(LinkWorkerTest, AnExceptionNeverLeavesAWorker) {
    StopSignal stop;
    int runs = 0;
    RunLinkWorker(
        stop,
        [&] {
            if (++runs == 1) throw std::runtime_error("Is a directory");
        },
        std::chrono::milliseconds(1));
    EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace harbrook::test
