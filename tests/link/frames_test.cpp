#include "link/frames.h"

#include <gtest/gtest.h>

namespace harbrook {
namespace {

// A connected PAIR of sockets over loopback TCP, ports chosen by the system.
struct Pipe {
    zmq::context_t ctx;
    zmq::socket_t rx{ctx, zmq::socket_type::pair};
    zmq::socket_t tx{ctx, zmq::socket_type::pair};
    Pipe() {
        rx.bind("tcp://127.0.0.1:*");
        tx.connect(rx.get(zmq::sockopt::last_endpoint));
        SetReceiveTimeout(rx, std::chrono::seconds(5));
    }
    void Send(std::string_view bytes, bool more = false) { ASSERT_TRUE(SendText(tx, bytes, more)); }
};

TEST(Frames, TextStopsAtTheFirstZeroAndAFullBufferIsCut) {
    Pipe p;
    p.Send("hello");
    p.Send(std::string_view("ab\0cd", 5));
    p.Send("0123456789");        // exactly fills a 10-byte buffer: no room for a terminator
    p.Send("0123456789ABCDEF");  // longer than the buffer
    p.Send("");
    auto f = RecvText(p.rx, 10);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->text, "hello");
    EXPECT_FALSE(f->cut);
    f = RecvText(p.rx, 10);
    EXPECT_EQ(f->text, "ab");
    f = RecvText(p.rx, 10);
    EXPECT_EQ(f->text, "0123456789");
    EXPECT_TRUE(f->cut);
    f = RecvText(p.rx, 10);
    EXPECT_EQ(f->text, "0123456789");
    EXPECT_TRUE(f->cut);
    f = RecvText(p.rx, 10);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->text, "");
}

TEST(Frames, BinaryReportsMoreAndTruncation) {
    Pipe p;
    p.Send("first", true);
    p.Send(std::string(100, 'x'));
    char buf[16];
    auto f = RecvBinary(p.rx, buf);
    ASSERT_TRUE(f);
    EXPECT_EQ(std::string(buf, f->size), "first");
    EXPECT_TRUE(f->more);
    f = RecvBinary(p.rx, buf);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size, sizeof buf);
    EXPECT_TRUE(f->cut);
    EXPECT_FALSE(f->more);
}

// The address a frame came from is the connection's, whatever the sender
// declares; a connection made from 127.0.0.2 says so, through a ROUTER's
// routing frame as well as its text frames.
TEST(Frames, PeerAddressIsTheConnectionsSource) {
    zmq::context_t ctx;
    zmq::socket_t router(ctx, zmq::socket_type::router);
    router.bind("tcp://127.0.0.1:*");
    SetReceiveTimeout(router, std::chrono::seconds(5));
    const std::string endpoint = router.get(zmq::sockopt::last_endpoint);
    const std::string port = endpoint.substr(endpoint.rfind(':') + 1);
    for (const std::string source : {"127.0.0.1", "127.0.0.2"}) {
        zmq::socket_t dealer(ctx, zmq::socket_type::dealer);
        SetLinger(dealer, std::chrono::milliseconds(0));
        ASSERT_TRUE(ConnectTo(dealer, source + ":0;127.0.0.1:" + port));
        ASSERT_TRUE(SendText(dealer, "hello"));
        auto routing = RecvText(router, 20);
        ASSERT_TRUE(routing);
        EXPECT_EQ(routing->peer, source);
        auto text = RecvText(router, 20);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->text, "hello");
        EXPECT_EQ(text->peer, source);
    }
    // A frame with no TCP connection behind it has no address.
    zmq::context_t local;
    zmq::socket_t a(local, zmq::socket_type::pair), b(local, zmq::socket_type::pair);
    a.bind("inproc://peer");
    b.connect("inproc://peer");
    ASSERT_TRUE(SendText(b, "x"));
    zmq::message_t message;
    ASSERT_TRUE(RecvFrame(a, message));
    EXPECT_EQ(PeerAddressOf(message), "");
}

TEST(Frames, TimeoutAndRestOfMessage) {
    Pipe p;
    SetReceiveTimeout(p.rx, std::chrono::milliseconds(50));
    EXPECT_FALSE(RecvText(p.rx, 10)) << "time-out gives nothing";
    EXPECT_FALSE(PollIn(p.rx, std::chrono::milliseconds(20)));
    p.Send("a", true);
    p.Send("b", true);
    p.Send("c");
    p.Send("next");
    ASSERT_TRUE(PollIn(p.rx, std::chrono::seconds(5)));
    ASSERT_TRUE(RecvText(p.rx, 10));
    DiscardRestOfMessage(p.rx);
    SetReceiveTimeout(p.rx, std::chrono::seconds(5));
    auto f = RecvText(p.rx, 10);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->text, "next");
}

TEST(Frames, OversizedMessagesAreDroppedByTheLibrary) {
    zmq::context_t ctx;
    zmq::socket_t server(ctx, zmq::socket_type::router);
    SetMaxMessageSize(server, kMaxTextMessage);
    SetReceiveTimeout(server, std::chrono::milliseconds(300));
    server.bind("tcp://127.0.0.1:*");
    const std::string endpoint = server.get(zmq::sockopt::last_endpoint);
    {
        zmq::socket_t big(ctx, zmq::socket_type::dealer);
        SetIdentity(big, "big");
        big.connect(endpoint);
        ASSERT_TRUE(SendText(big, std::string(10 * 1024 * 1024, 'x')));
        EXPECT_FALSE(RecvText(server, 20)) << "a 10 MB frame never arrives";
        big.set(zmq::sockopt::linger, 0);
    }
    zmq::socket_t good(ctx, zmq::socket_type::dealer);
    SetIdentity(good, "good");
    good.connect(endpoint);
    ASSERT_TRUE(SendText(good, "hi"));
    SetReceiveTimeout(server, std::chrono::seconds(5));
    auto id = RecvText(server, 20);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->text, "good");
    EXPECT_EQ(RecvText(server, 20)->text, "hi");
}

int PortOf(zmq::socket_t& s) {
    const std::string ep = s.get(zmq::sockopt::last_endpoint);
    return std::stoi(ep.substr(ep.rfind(':') + 1));
}

TEST(Frames, BindFirstFreeSkipsBusyPorts) {
    zmq::context_t ctx;
    zmq::socket_t busy(ctx, zmq::socket_type::router);
    busy.bind("tcp://*:0");
    int freePort = 0;
    {
        // A context of its own: when it is gone, so is the probe's listener.
        zmq::context_t probeCtx;
        zmq::socket_t probe(probeCtx, zmq::socket_type::router);
        probe.bind("tcp://*:0");
        freePort = PortOf(probe);
    }
    zmq::socket_t s(ctx, zmq::socket_type::router);
    EXPECT_EQ(BindFirstFree(s, PortList{PortOf(busy), freePort, PortOf(busy)}), freePort);
    zmq::socket_t t(ctx, zmq::socket_type::router);
    EXPECT_EQ(BindFirstFree(t, PortList{PortOf(busy), PortOf(busy), PortOf(busy)}), 0);
    EXPECT_FALSE(ConnectTo(t, "not an address"));
    EXPECT_TRUE(ConnectTo(t, "127.0.0.1:1"));
}

}  // namespace
}  // namespace harbrook
