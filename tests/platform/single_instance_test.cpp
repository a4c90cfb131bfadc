#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <future>

#include "tests/platform/single_instance_fixture.h"

namespace harbrook::platform {
namespace {

TEST_F(SingleInstanceTest, OneClaimAtATimeAndItIsGivenUpWithTheObject) {
    {
        SingleInstance one;
        ASSERT_EQ(one.TryClaim(sandbox.root()), SingleInstance::Claim::First);
        EXPECT_EQ(one.TryClaim(sandbox.root()),
                  SingleInstance::Claim::First);  // kept, not retaken
        SingleInstance second;
        EXPECT_EQ(second.TryClaim(sandbox.root()), SingleInstance::Claim::AlreadyRunning);
    }
    SingleInstance again;
    EXPECT_EQ(again.TryClaim(sandbox.root()), SingleInstance::Claim::First);
}

TEST_F(SingleInstanceTest, RequestsArriveIntactAndAreConfirmed) {
    ClaimAndListen();
    std::string big(200000, 'x');
    big[5] = '\0';  // requests are bytes, not C strings
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), ""), DeliveryResult::Delivered);
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), big), DeliveryResult::Delivered);
    const auto got = inbox.Get();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "");
    EXPECT_EQ(got[1], big);
}

TEST_F(SingleInstanceTest, ARequestBeforeListeningWaitsForTheListener) {
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    auto delivery = std::async(std::launch::async,
                               [&] { return DeliverToRunningInstance(sandbox.root(), "early"); });
    ASSERT_TRUE(first.Listen(inbox.Handler()));
    EXPECT_EQ(delivery.get(), DeliveryResult::Delivered);
    EXPECT_EQ(inbox.Get(), std::vector<std::string>{"early"});
}

TEST_F(SingleInstanceTest, NobodyThereIsReported) {
    std::string why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show", &why), DeliveryResult::NoInstance);
    EXPECT_FALSE(why.empty());
}

TEST_F(SingleInstanceTest, StopListeningReturnsAndLaterRequestsGoUnanswered) {
    ClaimAndListen();
    first.StopListening();
    std::string why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "late", &why), DeliveryResult::NoAnswer);
    EXPECT_TRUE(inbox.Get().empty());
}

}  // namespace
}  // namespace harbrook::platform
