// The window front ends' shared frame without a toolkit: a queue stands in
// for the UI thread's event loop, and the test's own thread is the UI thread.
#include "app/posting_frontend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

// Records what reaches it, and on which thread.
class FakeWindow final : public FrontendWindow {
  public:
    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override {
        Note(std::string(connected ? "connected " : "disconnected ") + phoneName);
    }
    void SetBannerStatus(const std::string& text) override { Note("banner " + text); }
    void OnProgressReading(const ProgressReading& reading) override {
        Note("progress " + std::to_string(reading.totalBytes));
    }
    void OnBackupEnded() override { Note("ended"); }
    void SetSendButton(const std::string& text, bool enabled) override {
        Note("send " + text + (enabled ? " on" : " off"));
    }
    void OpenMainWindow() override { Note("open"); }
    void ShowMessage(const std::string& text) override { Note("message " + text); }
    bool AskOkCancel(const std::string& text) override {
        Note("ask " + text);
        return answer;
    }

    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;
    bool answer = true;

  private:
    void Note(std::string call) {
        calls.push_back(std::move(call));
        threads.push_back(std::this_thread::get_id());
    }
};

// The UI thread's queue: filled by any thread, run by the test's thread.
class QueuedFrontend final : public PostingFrontend {
  public:
    explicit QueuedFrontend(FrontendWindow& window) : PostingFrontend(window) {}

    bool ShowQrCode(const std::filesystem::path&, const std::string&) override { return false; }

    std::size_t Queued() {
        std::lock_guard lock(m_queueMutex);
        return m_queue.size();
    }
    // Runs what is queued, in order, as the event loop would.
    void RunQueue() {
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(m_queueMutex);
                if (m_queue.empty()) return;
                work = std::move(m_queue.front());
                m_queue.erase(m_queue.begin());
            }
            work();
        }
    }

  private:
    bool OnUiThread() const override { return std::this_thread::get_id() == m_ui; }
    void PostToUiThread(std::function<void()> work) override {
        std::lock_guard lock(m_queueMutex);
        m_queue.push_back(std::move(work));
    }

    const std::thread::id m_ui = std::this_thread::get_id();
    std::mutex m_queueMutex;
    std::vector<std::function<void()>> m_queue;
};

TEST(PostingFrontend, WorkerCallsReachTheWindowOnTheUiThreadInOrder) {
    FakeWindow window;
    QueuedFrontend ui(window);
    int reminders = 0;
    ui.SetReminderHandler([&] { ++reminders; });
    std::thread worker([&] {
        ui.OnConnectionStateChanged(true, "Pixel");
        ui.SetBannerStatus("Backing up files");
        ui.OnBackupStarted(4096);
        ui.OnProgressReading({});
        ui.OnBackupRecorded({});
        ui.SetSendButton("Send Files", false);
        ui.ShowMessage("hello");
        ui.OnOpenMainWindow();
        ui.ShowBackupReminder();
    });
    worker.join();
    // Nothing touched the window on the worker.
    EXPECT_TRUE(window.calls.empty());
    EXPECT_EQ(reminders, 0);
    ui.RunQueue();
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"connected Pixel", "banner Backing up files",
                                        "progress 4096", "progress 0", "ended",
                                        "send Send Files off", "message hello", "open"}));
    for (const auto& thread : window.threads) EXPECT_EQ(thread, std::this_thread::get_id());
    EXPECT_EQ(reminders, 1);
}

TEST(PostingFrontend, AQuestionWaitsForItsAnswerOnTheUiThread) {
    FakeWindow window;
    QueuedFrontend ui(window);
    // Asked on the UI thread itself: at once, nothing queued.
    window.answer = false;
    EXPECT_FALSE(ui.AskOkCancel("now?"));
    EXPECT_EQ(ui.Queued(), 0u);

    window.answer = true;
    std::atomic<bool> answered = false;
    std::optional<bool> answer;
    std::thread worker([&] {
        answer = ui.AskOkCancel("Install?");
        answered = true;
    });
    ASSERT_TRUE(WaitFor([&] { return ui.Queued() == 1; }, 10s));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(answered);  // still waiting for the UI thread
    ui.RunQueue();
    worker.join();
    EXPECT_EQ(answer, true);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"ask now?", "ask Install?"}));
}

TEST(PostingFrontend, ClosingAnswersCancelAndHandsOverNothingMore) {
    FakeWindow window;
    QueuedFrontend ui(window);
    std::optional<bool> answer;
    std::thread worker([&] { answer = ui.AskOkCancel("Install?"); });
    ASSERT_TRUE(WaitFor([&] { return ui.Queued() == 1; }, 10s));
    ui.SetBannerStatus("before the end");
    // The loop ends with the question still queued: the worker is let go
    // with Cancel, and the stale question never shows a box.
    ui.Close();
    worker.join();
    EXPECT_EQ(answer, false);
    ui.RunQueue();
    EXPECT_EQ(window.calls, std::vector<std::string>{"banner before the end"});

    // After the end, workers hand over nothing and get Cancel at once.
    std::thread late([&] {
        ui.OnConnectionStateChanged(false, "");
        ui.ShowMessage("too late");
        ui.OnOpenMainWindow();
        answer = ui.AskOkCancel("again?");
    });
    late.join();
    EXPECT_EQ(answer, false);
    EXPECT_EQ(ui.Queued(), 0u);
}

}  // namespace
}  // namespace harbrook::test
