// The Windows names other programs (and older starts) rely on.
#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <vector>

#include "platform/single_instance.h"
#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

using test::Sandbox;
using test::WaitFor;

TEST(SingleInstanceWin32Test, TheClaimIsTheNamedMutexKVHarbrook) {
    Sandbox sandbox;
    {
        SingleInstance first;
        ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
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

TEST(SingleInstanceWin32Test, TheShowEventAloneWakesTheRunningInstance) {
    Sandbox sandbox;
    std::mutex mutex;  // both outlive the listener that fills them
    std::vector<std::string> requests;
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen([&](const std::string& r) {
        std::lock_guard lock(mutex);
        requests.push_back(r);
    }));
    HANDLE show = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"HarbrookShowEvent");
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(SetEvent(show));
    CloseHandle(show);
    EXPECT_TRUE(WaitFor([&] {
        std::lock_guard lock(mutex);
        return requests.size() == 1;
    }));
    // The pipe still serves after a wake-up by the event.
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "after"), DeliveryResult::Delivered);
    std::lock_guard lock(mutex);
    EXPECT_EQ(requests, (std::vector<std::string>{"", "after"}));
}

}  // namespace
}  // namespace harbrook::platform
