// The pairing server against the stand-in phone.
#include <zmq.hpp>

#include "core/settings_store.h"
#include "platform/net.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "tests/link/link_fixture.h"
#include "tools/phone/phone_requests.h"

namespace harbrook::test {
namespace {

using phone::Pair;

std::string PhoneValue(std::string_view phoneId, std::string_view valueName) {
    std::string path, value;
    if (!CSettingsStore().FindPhoneSection(phoneId, path)) return "<no section>";
    platform::RegistryKey key;
    if (!key.Open(path) || !key.Read(valueName, value)) return "<no value>";
    return value;
}

std::string SectionOf(std::string_view phoneId) {
    std::string path;
    return CSettingsStore().FindPhoneSection(phoneId, path) ? path : "<none>";
}

class PairingTest : public LinkTest {};

TEST_F(PairingTest, ReplyCarriesIdentityEndpointsAndComputerName) {
    Start(PairingServerThread);
    const auto phone = MakePhone("abc123");
    const std::string qrText = AwaitPairingText();
    EXPECT_EQ(qrText, "127.0.0.1:" + std::to_string(plan.pairing[0]));
    EXPECT_TRUE(WaitFor([&] { return qr.LastText() == qrText; }));

    const auto reply = Pair(phone, qrText);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->frames.size(), 4u);
    EXPECT_EQ(reply->pcId, PcId());
    EXPECT_TRUE(reply->pcId.starts_with("Windows-"));
    // No monitor or backup thread has bound yet: the first ports of the lists.
    EXPECT_EQ(reply->monitorEndpoint, "127.0.0.1:" + std::to_string(plan.monitor[0]));
    EXPECT_EQ(reply->backupEndpoint, "127.0.0.1:" + std::to_string(plan.backup[0]));
    const auto computer = platform::ComputerName();
    ASSERT_TRUE(computer);
    EXPECT_TRUE(reply->computerNameTerminated);
    EXPECT_EQ(reply->computerName, *computer);
    EXPECT_EQ(reply->frames[2].size(), computer->size() + 1);

    ASSERT_TRUE(WaitFor([&] { return link.state.IsConnected(); }));
    std::string id;
    link.state.GetConnectedPhoneId(id);
    EXPECT_EQ(id, "abc123");
    EXPECT_EQ(link.state.PhoneName(), "Phone abc123");
    EXPECT_EQ(link.state.PhoneAddress(), "127.0.0.1");
    EXPECT_EQ(link.monitorPort.load(), plan.monitor[0]);  // the builder kept its default
    ASSERT_TRUE(WaitFor([&] { return folders.Calls() == 1; }));
    EXPECT_EQ(folders.LastNeed(), 1024);
    const auto changes = frontend.stateChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].connected);
    EXPECT_EQ(changes[0].name, "Phone abc123");

    EXPECT_EQ(PhoneValue("abc123", "PhoneID"), "abc123");
    EXPECT_EQ(PhoneValue("abc123", "PhoneName"), "Phone abc123");
}

TEST_F(PairingTest, BusyFirstPortMovesTheCodeToTheNextAndEachCycleStartsOver) {
    zmq::context_t context;
    auto blocker = std::make_unique<zmq::socket_t>(context, zmq::socket_type::router);
    blocker->set(zmq::sockopt::linger, 0);
    blocker->bind("tcp://*:" + std::to_string(plan.pairing[0]));

    Start(PairingServerThread);
    const std::string second = "127.0.0.1:" + std::to_string(plan.pairing[1]);
    EXPECT_EQ(AwaitPairingText(), second);
    EXPECT_TRUE(WaitFor([&] { return qr.LastText() == second; }));
    EXPECT_EQ(frontend.qrTexts().back(), second);
    PairPhone(MakePhone("p1"));

    // Free the first port: the next cycle binds it again and the code follows.
    blocker.reset();
    PairPhone(MakePhone("p2"));
    const std::string first = "127.0.0.1:" + std::to_string(plan.pairing[0]);
    EXPECT_TRUE(WaitFor([&] { return PairingText() == first && qr.LastText() == first; }));
}

TEST_F(PairingTest, NoFreePortShowsOneMessageAndEndsThePairingServer) {
    zmq::context_t context;
    std::vector<zmq::socket_t> blockers;
    for (int port : plan.pairing) {
        blockers.emplace_back(context, zmq::socket_type::router);
        blockers.back().set(zmq::sockopt::linger, 0);
        blockers.back().bind("tcp://*:" + std::to_string(port));
    }
    Start(PairingServerThread);
    ASSERT_TRUE(WaitFor([&] { return Ended(PairingServerThread); }));
    EXPECT_EQ(frontend.messages(),
              std::vector<std::string>{
                  "Harbrook cannot open a pairing port. Please reinstall Harbrook."});
    EXPECT_TRUE(frontend.qrTexts().empty());
    EXPECT_EQ(link.pairingPort.load(), 0);
}

TEST_F(PairingTest, TwoPhonesPairingAtTheSameMomentAreBothAnswered) {
    Start(PairingServerThread);
    const std::string qrText = AwaitPairingText();
    const auto first = MakePhone("first"), second = MakePhone("second");
    std::optional<phone::PairingReply> firstReply, secondReply;
    {
        std::jthread a([&] { firstReply = Pair(first, qrText, std::chrono::seconds(8)); });
        std::jthread b([&] { secondReply = Pair(second, qrText, std::chrono::seconds(8)); });
    }
    EXPECT_TRUE(firstReply);
    EXPECT_TRUE(secondReply);
    EXPECT_NE(SectionOf("first"), "<none>");
    EXPECT_NE(SectionOf("second"), "<none>");
}

TEST_F(PairingTest, OverLongTextsAreNotRecordedAndThePairingCompletes) {
    Start(PairingServerThread);
    auto phone = MakePhone(std::string(240, 'i'));
    phone.routingId = "long";            // a routing identity must fit its 20 bytes
    phone.name = std::string(300, 'n');  // beyond the 255-byte buffer
    ASSERT_TRUE(Pair(phone, AwaitPairingText()));
    // The cuts are connection_state_test's. 240 characters do not fit a
    // record (settings_store_test); pairing completes all the same.
    ASSERT_TRUE(WaitFor([&] { return link.state.IsConnected(); }));
    EXPECT_EQ(SectionOf(std::string(240, 'i')), "<none>");
}

}  // namespace
}  // namespace harbrook::test
