// A client of the request pipe that connects and never writes holds up
// neither later starts nor the end of the listener.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/single_instance.h"
#include "tests/support/sandbox.h"

namespace harbrook::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

HANDLE ConnectSilently() {
    return CreateFileW(L"\\\\.\\pipe\\HarbrookRequest", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

TEST(SingleInstanceWin32Test, SilentClientsDoNotStallLaterStarts) {
    test::Sandbox sandbox;
    std::mutex mutex;  // both outlive the listener that fills them
    std::vector<std::string> requests;
    SingleInstance first;
    ASSERT_EQ(first.TryClaim(sandbox.root()), SingleInstance::Claim::First);
    ASSERT_TRUE(first.Listen([&](const std::string& r) {
        std::lock_guard lock(mutex);
        requests.push_back(r);
    }));
    // Two of them, one before and one between the later starts.
    HANDLE silent[2] = {ConnectSilently(), INVALID_HANDLE_VALUE};
    ASSERT_NE(silent[0], INVALID_HANDLE_VALUE);
    const auto start = Clock::now();
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "one"), DeliveryResult::Delivered);
    silent[1] = ConnectSilently();
    EXPECT_NE(silent[1], INVALID_HANDLE_VALUE);
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "two"), DeliveryResult::Delivered);
    EXPECT_LT(Clock::now() - start, 1500ms) << "a later start waited for a silent client";

    // Dropped when their time is up: their instances serve again.
    std::this_thread::sleep_for(2500ms);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "again"), DeliveryResult::Delivered)
            << i;
    }
    // Stopping does not wait for a silent client either.
    HANDLE last = ConnectSilently();
    const auto stop = Clock::now();
    first.StopListening();
    EXPECT_LT(Clock::now() - stop, 1s);
    for (HANDLE h : {silent[0], silent[1], last}) {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    std::lock_guard lock(mutex);
    EXPECT_EQ(requests,
              (std::vector<std::string>{"one", "two", "again", "again", "again", "again"}));
}

}  // namespace
}  // namespace harbrook::platform
