// The Windows names other programs (and older starts) rely on.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/platform/single_instance_fixture.h"

namespace harbrook::platform {
namespace {

TEST_F(SingleInstanceTest, TheClaimIsTheNamedMutexKVHarbrook) {
    {
        SingleInstance one;
        ASSERT_EQ(one.TryClaim(sandbox.root()), SingleInstance::Claim::First);
        HANDLE seen = OpenMutexW(SYNCHRONIZE, FALSE, L"KVHarbrook");
        EXPECT_NE(seen, nullptr);
        if (seen) CloseHandle(seen);
    }
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, L"KVHarbrook"), nullptr);

    // Somebody else holding the mutex is a running instance too.
    HANDLE other = CreateMutexW(nullptr, FALSE, L"KVHarbrook");
    ASSERT_NE(other, nullptr);
    SingleInstance late;
    EXPECT_EQ(late.TryClaim(sandbox.root()), SingleInstance::Claim::AlreadyRunning);
    CloseHandle(other);
}

TEST_F(SingleInstanceTest, TheShowEventAloneWakesTheRunningInstance) {
    ClaimAndListen();
    HANDLE show = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"HarbrookShowEvent");
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(SetEvent(show));
    CloseHandle(show);
    EXPECT_TRUE(test::WaitFor([&] { return inbox.Get().size() == 1; }));
    // The pipe still serves after a wake-up by the event.
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "after"), DeliveryResult::Delivered);
    EXPECT_EQ(inbox.Get(), (std::vector<std::string>{"", "after"}));
}

// A later start passes its right to the foreground on to the server end of
// the pipe before the request goes out: here that is this very process.
TEST_F(SingleInstanceTest, TheLaterStartLetsTheRunningOneTakeTheForeground) {
    ClaimAndListen();
    ASSERT_EQ(DeliverToRunningInstance(sandbox.root(), ""), DeliveryResult::Delivered);
    EXPECT_EQ(LastForegroundGrant(), GetCurrentProcessId());
}

}  // namespace
}  // namespace harbrook::platform
