#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>

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

// A later start that waits gets the answer given later, from another thread;
// one given at once or none at all; other requests go on meanwhile.
TEST_F(SingleInstanceTest, AnAnswerComesBackWheneverItIsGiven) {
    std::mutex mutex;
    std::vector<SingleInstance::Reply> kept;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen([&](const std::string& request, SingleInstance::Reply reply) {
        if (request == "now") reply.Answer("at once");
        if (request != "later") return;
        std::lock_guard lock(mutex);
        kept.push_back(std::move(reply));
    }));
    std::string answer = "x";
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "now", nullptr, &answer),
              DeliveryResult::Delivered);
    EXPECT_EQ(answer, "at once");
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "none", nullptr, &answer),
              DeliveryResult::Delivered);
    EXPECT_EQ(answer, "");

    auto waiting = std::async(std::launch::async, [&] {
        std::string later;
        const auto result = DeliverToRunningInstance(sandbox.root(), "later", nullptr, &later);
        return result == DeliveryResult::Delivered ? later : "not delivered";
    });
    ASSERT_TRUE(test::WaitFor([&] {
        std::lock_guard lock(mutex);
        return !kept.empty();
    }));
    // Meanwhile another start is served as ever.
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show"), DeliveryResult::Delivered);
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    std::thread([&] {
        std::lock_guard lock(mutex);
        ASSERT_EQ(kept.size(), 1u);
        kept[0].Answer("sent");
        kept[0].Answer("twice");  // dropped
    }).join();
    EXPECT_EQ(waiting.get(), "sent");
}

TEST_F(SingleInstanceTest, NobodyThereIsReported) {
    DeliveryFailure why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "show", &why), DeliveryResult::NoInstance);
    EXPECT_EQ(why.problem, DeliveryProblem::NotListening);
}

TEST_F(SingleInstanceTest, StopListeningReturnsAndLaterRequestsGoUnanswered) {
    ClaimAndListen();
    first.StopListening();
    DeliveryFailure why;
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "late", &why), DeliveryResult::NoAnswer);
    EXPECT_EQ(why.problem, DeliveryProblem::NotConfirmed);
    EXPECT_TRUE(inbox.Get().empty());
}

}  // namespace
}  // namespace harbrook::platform
