#include "app/posting_frontend.h"

#include <algorithm>

namespace harbrook {

PostingFrontend::PostingFrontend(FrontendWindow& window) : m_window(window) {}

void PostingFrontend::Post(std::function<void()> work) {
    // Under the lock: once Close() has run, nothing more reaches the queue.
    // The hop itself only queues, so holding the lock is brief.
    std::lock_guard lock(m_mutex);
    if (m_closed) return;
    PostToUiThread(std::move(work));
}

void PostingFrontend::Close() {
    std::vector<Question> pending;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        pending.swap(m_questions);
    }
    for (auto& question : pending) question->set_value(false);
}

bool PostingFrontend::TakePending(const Question& question) {
    std::lock_guard lock(m_mutex);
    const auto it = std::find(m_questions.begin(), m_questions.end(), question);
    if (it == m_questions.end()) return false;
    m_questions.erase(it);
    return true;
}

bool PostingFrontend::AskOkCancel(const std::string& text) {
    if (OnUiThread()) return m_window.AskOkCancel(text);
    auto question = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = question->get_future();
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return false;
        m_questions.push_back(question);
        PostToUiThread([this, question, text] {
            {
                // Already answered by Close(): no box for a program that ends.
                std::lock_guard lock(m_mutex);
                if (std::find(m_questions.begin(), m_questions.end(), question) ==
                    m_questions.end())
                    return;
            }
            const bool ok = m_window.AskOkCancel(text);
            if (TakePending(question)) question->set_value(ok);
        });
    }
    return answer.get();
}

void PostingFrontend::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    Post([this, connected, phoneName] { m_window.OnConnectionStateChanged(connected, phoneName); });
}

void PostingFrontend::SetBannerStatus(const std::string& text) {
    Post([this, text] { m_window.SetBannerStatus(text); });
}

void PostingFrontend::ShowMessage(const std::string& text) {
    Post([this, text] { m_window.ShowMessage(text); });
}

void PostingFrontend::SetSendButton(const std::string& text, bool enabled) {
    Post([this, text, enabled] { m_window.SetSendButton(text, enabled); });
}

void PostingFrontend::OnBackupStarted(std::int64_t totalBytes) {
    ProgressReading start;
    start.totalBytes = totalBytes;
    Post([this, start] { m_window.OnProgressReading(start); });
}

void PostingFrontend::OnOpenMainWindow() {
    Post([this] { m_window.OpenMainWindow(); });
}

void PostingFrontend::ShowBackupReminder() {
    // Start-up decides before the UI loop runs: the pop-up shows as it starts.
    Post([this] {
        if (m_showReminder) m_showReminder();
    });
}

void PostingFrontend::OnProgressReading(const ProgressReading& reading) {
    Post([this, reading] { m_window.OnProgressReading(reading); });
}

void PostingFrontend::OnBackupRecorded(const BackupRecord&) {
    Post([this] { m_window.OnBackupEnded(); });
}

}  // namespace harbrook
