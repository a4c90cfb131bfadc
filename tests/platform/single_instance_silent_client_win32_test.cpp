// A client of the request pipe that connects and never writes holds up
// neither later starts nor the end of the listener.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "tests/platform/single_instance_fixture.h"

namespace harbrook::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

HANDLE ConnectSilently() {
    return CreateFileW(L"\\\\.\\pipe\\HarbrookRequest", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

TEST_F(SingleInstanceTest, SilentClientsDoNotStallLaterStarts) {
    ClaimAndListen();
    // Two of them, one before and one between the later starts.
    HANDLE silent[3] = {ConnectSilently(), INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    ASSERT_NE(silent[0], INVALID_HANDLE_VALUE);
    const auto start = Clock::now();
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "one"), DeliveryResult::Delivered);
    silent[1] = ConnectSilently();
    EXPECT_NE(silent[1], INVALID_HANDLE_VALUE);
    EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "two"), DeliveryResult::Delivered);
    EXPECT_LT(Clock::now() - start, 1500ms) << "a later start waited for a silent client";

    // Dropped when their time is up (having delivered nothing): their
    // instances serve again.
    EXPECT_FALSE(test::WaitFor([&] { return inbox.Get().size() > 2; }, 2500ms));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(DeliverToRunningInstance(sandbox.root(), "again"), DeliveryResult::Delivered)
            << i;
    }
    // Stopping does not wait for a silent client either.
    silent[2] = ConnectSilently();
    EXPECT_LT(test::TimeTaken([&] { first.StopListening(); }), test::kStopDeadline);
    for (HANDLE h : silent) {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    EXPECT_EQ(inbox.Get(),
              (std::vector<std::string>{"one", "two", "again", "again", "again", "again"}));
}

}  // namespace
}  // namespace harbrook::platform
