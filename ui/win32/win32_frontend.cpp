#include "ui/win32/win32_frontend.h"

#include <algorithm>

#include "ui/win32/main_window.h"

namespace harbrook::win32 {

Win32Frontend::Win32Frontend(CharbrookDlg& window)
    : m_window(window), m_uiThread(std::this_thread::get_id()) {}

void Win32Frontend::Post(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    if (m_closed) return;
    // The one hop from a worker to the UI thread: a window message that
    // carries the work; windows are touched on the UI thread only.
    m_window.Post(std::move(work));
}

void Win32Frontend::Close() {
    std::vector<std::shared_ptr<std::promise<bool>>> pending;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        pending.swap(m_questions);
    }
    for (auto& question : pending) question->set_value(false);
}

void Win32Frontend::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    Post([this, connected, phoneName] { m_window.OnConnectionStateChanged(connected, phoneName); });
}

void Win32Frontend::SetBannerStatus(const std::string& text) {
    Post([this, text] { m_window.SetBannerStatus(text); });
}

void Win32Frontend::ShowMessage(const std::string& text) {
    Post([this, text] { m_window.ShowMessage(text); });
}

bool Win32Frontend::AskOkCancel(const std::string& text) {
    if (std::this_thread::get_id() == m_uiThread) return m_window.AskOkCancel(text);
    auto question = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = question->get_future();
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return false;
        m_questions.push_back(question);
    }
    Post([this, question, text] {
        const bool ok = m_window.AskOkCancel(text);
        std::lock_guard lock(m_mutex);
        // Close() may have answered already.
        const auto it = std::find(m_questions.begin(), m_questions.end(), question);
        if (it == m_questions.end()) return;
        m_questions.erase(it);
        question->set_value(ok);
    });
    return answer.get();
}

void Win32Frontend::SetSendButton(const std::string& text, bool enabled) {
    Post([this, text, enabled] { m_window.SetSendButton(text, enabled); });
}

bool Win32Frontend::ShowQrCode(const std::filesystem::path& bitmap, const std::string&) {
    // Decoded here, on the worker: the file may be written again before the
    // UI thread would get to it.
    Image qr = Image::FromFile(bitmap);
    if (qr.Empty()) return false;
    Post([this, qr] { m_window.ShowQrCode(qr); });
    return true;
}

void Win32Frontend::OnBackupStarted(std::int64_t totalBytes) {
    ProgressReading start;
    start.totalBytes = totalBytes;
    Post([this, start] { m_window.OnProgressReading(start); });
}

void Win32Frontend::OnOpenMainWindow() {
    Post([this] { m_window.OpenMainWindow(); });
}

void Win32Frontend::OnProgressReading(const ProgressReading& reading) {
    Post([this, reading] { m_window.OnProgressReading(reading); });
}

void Win32Frontend::OnBackupRecorded(const BackupRecord&) {
    Post([this] { m_window.OnBackupEnded(); });
}

}  // namespace harbrook::win32
