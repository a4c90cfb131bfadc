#include "link/connection_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

// Checks, from inside the display hook, that the flag has not changed yet.
class FlagProbe : public test::RecorderFrontend {
  public:
    ConnectionState* state = nullptr;
    std::vector<bool> flagDuringHook;
    void OnConnectionStateChanged(bool connected, const std::string& name) override {
        flagDuringHook.push_back(state->IsConnected());
        RecorderFrontend::OnConnectionStateChanged(connected, name);
    }
};

// While a front end shows one change, no lock of ours is held: another
// change goes ahead up to the display, and is shown after the first.
TEST(ConnectionState, HookRunsWithoutTheConnectionLockAndInOrder) {
    using namespace std::chrono_literals;
    struct Blocking : test::RecorderFrontend {
        std::atomic<bool> release = false;
        void OnConnectionStateChanged(bool connected, const std::string& name) override {
            if (connected) test::WaitFor([&] { return release.load(); }, 10s);
            RecorderFrontend::OnConnectionStateChanged(connected, name);
        }
    } hook;
    ConnectionState state(&hook);
    std::thread first([&] { state.SetConnectionState(true, "first", "1", "1.2.3.4"); });
    ASSERT_TRUE(test::WaitFor([&] { return state.PhoneName() == "first"; }, 10s));
    std::thread second([&] { state.SetConnectionState(false, "second", "", ""); });
    EXPECT_TRUE(test::WaitFor([&] { return state.PhoneName() == "second"; }, 10s))
        << "the connection lock is held over the display hook";
    EXPECT_TRUE(hook.stateChanges().empty());
    hook.release = true;
    first.join();
    second.join();
    ASSERT_EQ(hook.stateChanges().size(), 2u);
    EXPECT_EQ(hook.stateChanges()[0].name, "first");
    EXPECT_EQ(hook.stateChanges()[1].name, "second");
    EXPECT_FALSE(state.IsConnected());
}

TEST(ConnectionState, HookRunsBeforeTheFlagChanges) {
    FlagProbe probe;
    ConnectionState state(&probe);
    probe.state = &state;
    state.SetDisconnectRequested(true);
    state.SetConnectionState(true, "Pixel", "abc123", "192.168.1.20");
    EXPECT_TRUE(state.IsConnected());
    EXPECT_EQ(state.PhoneName(), "Pixel");
    std::string id;
    state.GetConnectedPhoneId(id);
    EXPECT_EQ(id, "abc123");
    EXPECT_EQ(state.PhoneAddress(), "192.168.1.20");
    state.SetConnectionState(false, "", "", "");
    EXPECT_FALSE(state.IsConnected());
    EXPECT_EQ(state.PhoneAddress(), "");
    EXPECT_TRUE(state.IsDisconnectRequested()) << "only a pairing clears the request";
    ASSERT_EQ(probe.stateChanges().size(), 2u);
    EXPECT_TRUE(probe.stateChanges()[0].connected);
    EXPECT_EQ(probe.stateChanges()[0].name, "Pixel");
    EXPECT_EQ(probe.flagDuringHook, (std::vector<bool>{false, true}));
}

TEST(ConnectionState, LongTextsAreCutAtACharacterBoundary) {
    ConnectionState state;
    const std::string longName = std::string(98, 'n') + "\xC3\xA9" + "tail";  // é straddles 99
    state.SetConnectionState(true, longName, std::string(500, 'i'), std::string(100, 'a'));
    EXPECT_EQ(state.PhoneName(), std::string(98, 'n'));
    std::string id;
    state.GetConnectedPhoneId(id);
    EXPECT_EQ(id.size(), ConnectionState::kMaxTextBytes);
    EXPECT_EQ(state.PhoneAddress().size(), 99u);
}

TEST(ConnectionState, WideNameIsEmptyWhenMissingOrUnconvertible) {
    ConnectionState state;
    EXPECT_EQ(state.GetConnectedPhoneNameW(), "");
    state.SetConnectionState(true, "Pixel 3", "id", "");
    EXPECT_EQ(state.GetConnectedPhoneNameW(), "Pixel 3");
    // Wire texts are in the ANSI code page: UTF-8 off Windows (where these
    // bytes are invalid), a single-byte code page on Windows (where they are
    // letters).
    const std::string junk = "\xFF\xFE junk";
    state.SetConnectionState(true, junk, "id", "");
    EXPECT_EQ(state.GetConnectedPhoneNameW(), platform::AnsiToUtf8(junk).value_or(""));
}

TEST(ConnectionState, ReportsFromManyThreadsNeverInterleave) {
    // A hook that notices a second report entering while one is running.
    class Overlap : public test::RecorderFrontend {
      public:
        std::atomic<int> inside{0};
        std::atomic<bool> overlapped{false};
        void OnConnectionStateChanged(bool c, const std::string& n) override {
            if (inside.fetch_add(1) != 0) overlapped = true;
            std::this_thread::yield();
            RecorderFrontend::OnConnectionStateChanged(c, n);
            inside.fetch_sub(1);
        }
    } hook;
    ConnectionState state(&hook);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                state.SetConnectionState(i % 2 == 0, "p" + std::to_string(t), "id", "1.2.3.4");
                std::string id;
                state.GetConnectedPhoneId(id);
                (void)state.PhoneAddress();
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_FALSE(hook.overlapped.load());
    EXPECT_EQ(hook.stateChanges().size(), 800u);
}

}  // namespace
}  // namespace harbrook
