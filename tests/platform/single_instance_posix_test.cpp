#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <future>
#include <mutex>
#include <vector>

#include "platform/single_instance.h"
#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

using test::Sandbox;
using test::WaitFor;

// The claim and the socket live in the folder given to TryClaim.

// Collects the requests a listening instance receives.
struct Inbox {
    std::mutex mutex;
    std::vector<std::string> requests;
    SingleInstance::RequestHandler Handler() {
        return [this](const std::string& r) {
            std::lock_guard lock(mutex);
            requests.push_back(r);
        };
    }
    std::vector<std::string> Get() {
        std::lock_guard lock(mutex);
        return requests;
    }
};

TEST(SingleInstanceTest, OneClaimPerFolderAndItIsGivenUpWithTheObject) {
    Sandbox sandbox;
    const auto a = sandbox.root() / "a", b = sandbox.root() / "b";
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
    {
        SingleInstance first;
        ASSERT_EQ(first.TryClaim(a), SingleInstance::Claim::First);
        SingleInstance second;
        EXPECT_EQ(second.TryClaim(a), SingleInstance::Claim::AlreadyRunning);
        SingleInstance elsewhere;
        EXPECT_EQ(elsewhere.TryClaim(b), SingleInstance::Claim::First);
    }
    SingleInstance again;
    EXPECT_EQ(again.TryClaim(a), SingleInstance::Claim::First);
}

TEST(SingleInstanceTest, AFolderThatCannotHoldTheLockFails) {
    Sandbox sandbox;
    SingleInstance instance;
    EXPECT_EQ(instance.TryClaim(sandbox.root() / "missing"), SingleInstance::Claim::Failed);
}

TEST(SingleInstanceTest, NobodyThereIsReportedAndAStaleSocketIsReplaced) {
    Sandbox sandbox;
    std::string why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show", &why), DeliveryResult::NoInstance);
    EXPECT_FALSE(why.empty());

    // What a crashed instance leaves behind: a socket file nobody serves.
    { std::ofstream(sandbox.root() / "harbrook.sock") << "stale"; }
    Inbox inbox;  // outlives the listener that fills it
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen(inbox.Handler()));
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show"), DeliveryResult::Delivered);
}

// Connections that never say anything (anyone on this machine may open
// them) must not keep a later start's request waiting.
TEST(SingleInstanceTest, IdleConnectionsDoNotHoldUpARequest) {
    Sandbox sandbox;
    Inbox inbox;  // outlives the listener that fills it
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen(inbox.Handler()));
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

TEST(SingleInstanceTest, ADeepDataFolderStillGetsASocket) {
    Sandbox sandbox;
    auto deep = sandbox.root();
    for (int i = 0; i < 8; ++i) deep /= std::string(20, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    Inbox inbox;  // outlives the listener that fills it
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(deep), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen(inbox.Handler()));
    EXPECT_EQ(DeliverToRunningInstance(deep, "deep"), DeliveryResult::Delivered);
    EXPECT_EQ(inbox.Get(), std::vector<std::string>{"deep"});
}

}  // namespace
}  // namespace harbrook::platform
