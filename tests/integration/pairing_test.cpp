#include <gtest/gtest.h>

#include <zmq.hpp>

#include "core/settings_store.h"
#include "link/frames.h"
#include "link/link_threads.h"
#include "platform/net.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "qr/pairing_code.h"
#include "tests/support/link_harness.h"
#include "tools/phone/phone_link.h"

namespace harbrook {
namespace {

using test::WaitFor;

std::string Endpoint(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

std::string RecordValue(int section, const std::string& name) {
    platform::RegistryKey key;
    std::string v;
    if (!key.Open(std::string(CSettingsStore::kPhoneSectionPrefix) + std::to_string(section)) ||
        !key.Read(name, v))
        return "<absent>";
    return v;
}

class PairingTest : public ::testing::Test {
  protected:
    test::LinkHarness h;
    PairingCode qr{h.frontend};
    void SetUp() override {
        h.link.pairingCode = &qr;
        h.Start(PairingServerThread);
        ASSERT_TRUE(WaitFor([&] { return h.link.pairingPort.load() != 0; }));
    }
    std::optional<phone::PairingReply> PairAs(const std::string& name, const std::string& id) {
        phone::PhoneIdentity p;
        p.name = name;
        p.id = id;
        // Each cycle binds afresh; wait until the server listens again.
        if (!WaitFor([&] { return h.link.pairingPort.load() != 0; })) return std::nullopt;
        return phone::Pair(Endpoint(h.link.pairingPort), p);
    }
};

TEST_F(PairingTest, FirstPairingAnswersRecordsAndConnects) {
    const auto reply = PairAs("Pixel", "abc123");
    ASSERT_TRUE(reply);
    std::string pcId;
    CSettingsStore().GetPcId(pcId);
    EXPECT_EQ(reply->pcId, pcId);
    EXPECT_EQ(reply->pcId.rfind("Windows-", 0), 0u);
    // Nothing bound the monitor yet: the default monitor and backup ports go out.
    EXPECT_EQ(reply->monitorEndpoint, Endpoint(h.link.ports.monitor[0]));
    EXPECT_EQ(reply->backupEndpoint, Endpoint(h.link.ports.backup[0]));
    EXPECT_EQ(reply->computerNameFrame, platform::ComputerName().value() + std::string(1, '\0'))
        << "the name travels with its terminator";

    ASSERT_TRUE(WaitFor([&] { return h.link.state.IsConnected(); }));
    EXPECT_EQ(h.link.state.PhoneName(), "Pixel");
    EXPECT_EQ(h.link.state.PhoneAddress(), "127.0.0.1");
    EXPECT_EQ(RecordValue(0, "PhoneID"), "abc123");
    EXPECT_EQ(RecordValue(0, "PhoneName"), "Pixel");
    ASSERT_TRUE(WaitFor([&] { return h.countingFolders.calls.load() == 1; }));
    EXPECT_EQ(h.countingFolders.lastNeed.load(), 1024);
    ASSERT_TRUE(WaitFor([&] {
        return platform::ReadProfileString(h.sandbox.appData() / "program_config.ini", "harbrook",
                                           "dateShow", "none", 100) != "none";
    })) << "the reminder date is reset";
    const auto changes = h.frontend.stateChanges();
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(changes.back().connected);
    EXPECT_EQ(changes.back().name, "Pixel");
}

TEST_F(PairingTest, RepairingOverwritesTheNameAndIdentitiesAreCaseSensitive) {
    ASSERT_TRUE(PairAs("Old name", "abc"));
    ASSERT_TRUE(WaitFor([&] { return RecordValue(0, "PhoneName") == "Old name"; }));
    ASSERT_TRUE(PairAs("New name", "abc"));
    ASSERT_TRUE(WaitFor([&] { return RecordValue(0, "PhoneName") == "New name"; }));
    ASSERT_TRUE(PairAs("Other", "ABC"));
    ASSERT_TRUE(WaitFor([&] { return RecordValue(1, "PhoneID") == "ABC"; }));
    EXPECT_EQ(RecordValue(1, "PhoneName"), "Other");
    EXPECT_EQ(RecordValue(2, "PhoneID"), "<absent>");
}

TEST_F(PairingTest, PairingClearsARequestedDisconnect) {
    h.link.state.SetDisconnectRequested(true);
    ASSERT_TRUE(PairAs("Pixel", "id"));
    EXPECT_TRUE(WaitFor([&] { return !h.link.state.IsDisconnectRequested(); }));
}

TEST_F(PairingTest, OverlongTextsAreCutForTheStateAndNotRecorded) {
    const std::string longName(300, 'n');
    ASSERT_TRUE(PairAs(longName, std::string(300, 'i')));
    ASSERT_TRUE(WaitFor([&] { return h.link.state.IsConnected(); }));
    EXPECT_EQ(h.link.state.PhoneName(), std::string(99, 'n'));
    EXPECT_EQ(RecordValue(0, "PhoneID"), "<absent>") << "a text over 199 units is not stored";
}

TEST(PairingPorts, BusyFirstPortMovesTheCodeToTheNext) {
    test::LinkHarness h;
    PairingCode qr{h.frontend};
    h.link.pairingCode = &qr;
    zmq::context_t ctx;
    zmq::socket_t squatter(ctx, zmq::socket_type::rep);
    squatter.bind("tcp://*:" + std::to_string(h.link.ports.pairing[0]));
    h.Start(PairingServerThread);
    ASSERT_TRUE(WaitFor([&] { return h.link.pairingPort.load() != 0; }));
    EXPECT_EQ(h.link.pairingPort.load(), h.link.ports.pairing[1]);
    ASSERT_TRUE(WaitFor([&] { return !h.frontend.qrTexts().empty(); }));
    EXPECT_EQ(h.frontend.qrTexts().back(), Endpoint(h.link.ports.pairing[1]));
    // Once the first port is free again, the next cycle takes it.
    squatter.close();
    phone::PhoneIdentity p;
    ASSERT_TRUE(phone::Pair(Endpoint(h.link.ports.pairing[1]), p));
    ASSERT_TRUE(WaitFor([&] { return h.link.pairingPort.load() == h.link.ports.pairing[0]; }));
    ASSERT_TRUE(WaitFor([&] { return h.frontend.qrTexts().size() == 2; }));
    EXPECT_EQ(h.frontend.qrTexts().back(), Endpoint(h.link.ports.pairing[0]));
}

TEST(PairingPorts, AllPortsTakenShowsTheMessageOnceAndEnds) {
    test::LinkHarness h;
    zmq::context_t ctx;
    std::vector<zmq::socket_t> squatters;
    for (int port : h.link.ports.pairing) {
        squatters.emplace_back(ctx, zmq::socket_type::rep);
        squatters.back().bind("tcp://*:" + std::to_string(port));
    }
    h.Start(PairingServerThread);
    ASSERT_TRUE(WaitFor([&] { return !h.frontend.messages().empty(); }));
    EXPECT_LT(h.Stop().count(), 1000);
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{"Please reinstall the Harbrook!"});
}

TEST(PairingStop, StopReturnsWithinASecondWhileWaiting) {
    test::LinkHarness h;
    h.Start(PairingServerThread);
    ASSERT_TRUE(WaitFor([&] { return h.link.pairingPort.load() != 0; }));
    EXPECT_LT(h.Stop().count(), 1000);
}

}  // namespace
}  // namespace harbrook
