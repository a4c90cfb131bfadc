#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <mutex>
#include <vector>

#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

using test::Sandbox;
using test::WaitFor;

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

TEST(SingleInstanceTest, OneClaimAtATimeAndItIsGivenUpWithTheObject) {
    Sandbox sandbox;
    {
        SingleInstance first;
        ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
        EXPECT_EQ(first.TryClaim(sandbox.root()),
                  SingleInstance::Claim::First);  // kept, not retaken
        SingleInstance second;
        EXPECT_EQ(second.TryClaim(sandbox.root()), SingleInstance::Claim::AlreadyRunning);
    }
    SingleInstance again;
    EXPECT_EQ(again.TryClaim(sandbox.root()), SingleInstance::Claim::First);
}

TEST(SingleInstanceTest, RequestsArriveIntactAndAreConfirmed) {
    Sandbox sandbox;
    Inbox inbox;  // outlives the listener that fills it
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen(inbox.Handler()));

    std::string big(200000, 'x');
    big[5] = '\0';  // requests are bytes, not C strings
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), ""), DeliveryResult::Delivered);
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), big), DeliveryResult::Delivered);
    const auto got = inbox.Get();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "");
    EXPECT_EQ(got[1], big);
}

TEST(SingleInstanceTest, ARequestBeforeListeningWaitsForTheListener) {
    Sandbox sandbox;
    Inbox inbox;  // outlives the listener that fills it
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    auto delivery = std::async(std::launch::async,
                               [&] { return DeliverToRunningInstance(sandbox.root(), "early"); });
    ASSERT_TRUE(first.Listen(inbox.Handler()));
    EXPECT_EQ(delivery.get(), DeliveryResult::Delivered);
    EXPECT_EQ(inbox.Get(), std::vector<std::string>{"early"});
}

TEST(SingleInstanceTest, NobodyThereIsReported) {
    Sandbox sandbox;
    std::string why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show", &why), DeliveryResult::NoInstance);
    EXPECT_FALSE(why.empty());
}

TEST(SingleInstanceTest, StopListeningReturnsAndLaterRequestsGoUnanswered) {
    Sandbox sandbox;
    Inbox inbox;  // outlives the listener that fills it
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen(inbox.Handler()));
    first.StopListening();
    std::string why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "late", &why), DeliveryResult::NoAnswer);
    EXPECT_TRUE(inbox.Get().empty());
}

}  // namespace
}  // namespace harbrook::platform
