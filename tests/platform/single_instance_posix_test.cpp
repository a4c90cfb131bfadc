// Where the claim and the request socket live: in the folder given to TryClaim.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "tests/platform/single_instance_fixture.h"

namespace harbrook::platform {
namespace {

TEST_F(SingleInstanceTest, OneClaimPerFolderAndAFolderThatCannotHoldItFails) {
    const auto a = sandbox.root() / "a", b = sandbox.root() / "b";
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
    SingleInstance one, second, elsewhere, nowhere;
    ASSERT_EQ(one.TryClaim(a), SingleInstance::Claim::First);
    EXPECT_EQ(second.TryClaim(a), SingleInstance::Claim::AlreadyRunning);
    EXPECT_EQ(elsewhere.TryClaim(b), SingleInstance::Claim::First);
    EXPECT_EQ(nowhere.TryClaim(sandbox.root() / "missing"), SingleInstance::Claim::Failed);
}

TEST_F(SingleInstanceTest, AStaleSocketIsReplaced) {
    // What a crashed instance leaves behind: a socket file nobody serves.
    { std::ofstream(sandbox.root() / "harbrook.sock") << "stale"; }
    ClaimAndListen();
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show"), DeliveryResult::Delivered);
}

// Connections that never say anything (anyone on this machine may open
// them) must not keep a later start's request waiting.
TEST_F(SingleInstanceTest, IdleConnectionsDoNotHoldUpARequest) {
    ClaimAndListen();
    const std::string path = (sandbox.root() / "harbrook.sock").string();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    std::vector<int> idle;
    for (int i = 0; i < 20; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
        idle.push_back(fd);
    }
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show"), DeliveryResult::Delivered);
    EXPECT_EQ(inbox.Get(), std::vector<std::string>{"show"});
    for (int fd : idle) ::close(fd);
}

TEST_F(SingleInstanceTest, ADeepDataFolderStillGetsASocket) {
    auto deep = sandbox.root();
    for (int i = 0; i < 8; ++i) deep /= std::string(20, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    ClaimAndListen(deep);
    EXPECT_EQ(DeliverToRunningInstance(deep, "deep"), DeliveryResult::Delivered);
    EXPECT_EQ(inbox.Get(), std::vector<std::string>{"deep"});
}

}  // namespace
}  // namespace harbrook::platform
