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

// Records what reaches it; everything must come on the UI thread.
class FakeWindow final : public FrontendWindow {
  public:
    void OnConnectionStateChanged(bool connected, const std::string& name) override {
        Note((connected ? "connected " : "disconnected ") + name);
    }
    void SetBannerStatus(const std::string& text) override { Note("banner " + text); }
    void OnProgressReading(const ProgressReading& r) override {
        Note("progress " + std::to_string(r.totalBytes));
    }
    void OnBackupEnded() override { Note("ended"); }
    void SetSendButton(const std::string& text, bool on) override {
        Note("send " + text + (on ? " on" : " off"));
    }
    void OpenMainWindow() override { Note("open"); }
    void ShowMessage(const std::string& text) override { Note("message " + text); }
    bool AskOkCancel(const std::string& text) override {
        Note("ask " + text);
        return answer;
    }
    void Note(std::string call) {
        EXPECT_EQ(std::this_thread::get_id(), ui) << call;
        calls.push_back(std::move(call));
    }

    const std::thread::id ui = std::this_thread::get_id();
    std::vector<std::string> calls;
    bool answer = true;
};

// The UI thread's queue: filled by any thread, run by the test's thread.
class QueuedFrontend final : public PostingFrontend {
  public:
    explicit QueuedFrontend(FakeWindow& window) : PostingFrontend(window), m_window(window) {}
    bool ShowQrCode(const std::filesystem::path&, const std::string&) override { return false; }

    std::size_t Queued() {
        std::lock_guard lock(m_mutex);
        return m_queue.size();
    }
    // Runs what is queued, in order, as the event loop would.
    void RunQueue() {
        std::vector<std::function<void()>> work;
        {
            std::lock_guard lock(m_mutex);
            work.swap(m_queue);
        }
        for (auto& w : work) w();
    }

  private:
    bool OnUiThread() const override { return std::this_thread::get_id() == m_window.ui; }
    void PostToUiThread(std::function<void()> work) override {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(work));
    }

    FakeWindow& m_window;
    std::mutex m_mutex;
    std::vector<std::function<void()>> m_queue;
};

TEST(PostingFrontend, WorkerCallsReachTheWindowOnTheUiThreadInOrder) {
    FakeWindow window;
    QueuedFrontend ui(window);
    int reminders = 0;
    ui.SetReminderHandler([&] { ++reminders; });
    std::thread([&] {
        ui.OnConnectionStateChanged(true, "Pixel");
        ui.SetBannerStatus("Backing up files");
        ui.OnBackupStarted(4096);
        ui.OnProgressReading({});
        ui.OnBackupRecorded({});
        ui.SetSendButton("Send Files", false);
        ui.ShowMessage("hello");
        ui.OnOpenMainWindow();
        ui.ShowBackupReminder();
    }).join();
    EXPECT_TRUE(window.calls.empty());
    ui.RunQueue();
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"connected Pixel", "banner Backing up files",
                                        "progress 4096", "progress 0", "ended",
                                        "send Send Files off", "message hello", "open"}));
    EXPECT_EQ(reminders, 1);
}

TEST(PostingFrontend, AQuestionWaitsForTheUiThreadAndClosingAnswersCancel) {
    FakeWindow window;
    QueuedFrontend ui(window);
    window.answer = false;
    EXPECT_FALSE(ui.AskOkCancel("now?")) << "asked on the UI thread itself: at once";
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
    EXPECT_FALSE(answered) << "answered before the UI thread asked";
    ui.RunQueue();
    worker.join();
    EXPECT_EQ(answer, true);

    // The loop ends with a question still queued: the worker is let go with
    // Cancel, and the stale question never shows a box.
    worker = std::thread([&] { answer = ui.AskOkCancel("Again?"); });
    ASSERT_TRUE(WaitFor([&] { return ui.Queued() == 1; }, 10s));
    ui.SetBannerStatus("before the end");
    ui.Close();
    worker.join();
    EXPECT_EQ(answer, false);
    ui.RunQueue();
    // Afterwards, workers hand over nothing and get Cancel at once.
    std::thread([&] {
        ui.ShowMessage("too late");
        answer = ui.AskOkCancel("late?");
    }).join();
    EXPECT_EQ(answer, false);
    EXPECT_EQ(ui.Queued(), 0u);
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"ask now?", "ask Install?", "banner before the end"}));
}

}  // namespace
}  // namespace harbrook::test
