#include "ui/qt/qt_frontend.h"

#include <QImage>
#include <QThread>

#include "app/window_model.h"
#include "core/settings_store.h"
#include "ui/qt/main_window.h"
#include "ui/qt/tray_icon.h"

namespace harbrook::qt {

QtFrontend::QtFrontend(MainWindow& window, TrayIcon& tray) : m_window(window), m_tray(tray) {}

void QtFrontend::Post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
    }
    // The one hop from a worker thread to the UI thread: the work is queued
    // as an event of the window and runs there; widgets are never touched
    // from a worker.
    QMetaObject::invokeMethod(&m_window, std::move(work), Qt::QueuedConnection);
}

void QtFrontend::Close() {
    std::vector<std::shared_ptr<std::promise<bool>>> pending;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        pending.swap(m_questions);
    }
    for (auto& question : pending) question->set_value(false);
}

void QtFrontend::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    Post([this, connected, phoneName] { m_window.OnConnectionStateChanged(connected, phoneName); });
}

void QtFrontend::SetBannerStatus(const std::string& text) {
    Post([this, text] { m_window.SetBannerStatus(text); });
}

void QtFrontend::ShowMessage(const std::string& text) {
    Post([this, text] { m_window.ShowMessage(text); });
}

bool QtFrontend::AskOkCancel(const std::string& text) {
    if (QThread::currentThread() == m_window.thread()) return m_window.AskOkCancel(text);
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

void QtFrontend::SetSendButton(const std::string& text, bool enabled) {
    Post([this, text, enabled] { m_window.SetSendButton(text, enabled); });
}

bool QtFrontend::ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) {
    // Read here, on the worker: the file may be written again before the UI
    // thread would get to it.
    const QImage image(QString::fromStdString(PathToUtf8(bitmap)));
    if (image.isNull()) return false;
    Post([this, image, text] { m_window.ShowQrCode(image, text); });
    return true;
}

void QtFrontend::OnBackupStarted(std::int64_t totalBytes) {
    ProgressReading start;
    start.totalBytes = totalBytes;
    Post([this, start] { m_window.OnProgressReading(start); });
}

void QtFrontend::OnOpenMainWindow() {
    Post([this] { m_window.OpenMainWindow(); });
}

void QtFrontend::ShowBackupReminder() {
    // Start-up decides before the event loop runs: the pop-up shows as it starts.
    Post([this] {
        if (m_showReminder) m_showReminder();
    });
}

void QtFrontend::OnProgressReading(const ProgressReading& reading) {
    Post([this, reading] { m_window.OnProgressReading(reading); });
}

void QtFrontend::OnBackupRecorded(const BackupRecord& record) {
    const auto outcome = record.outcome == "completed" ? BackupSummaryOutcome::Completed
                         : record.outcome == "failed"  ? BackupSummaryOutcome::Failed
                                                       : BackupSummaryOutcome::Interrupted;
    const BackupSummary summary = SummariseBackup(outcome, record.files, record.bytes,
                                                  record.endSeconds - record.startSeconds);
    Post([this, summary, outcome] {
        m_window.OnBackupEnded();
        if (m_tray.isVisible()) {
            m_tray.showMessage(
                QString::fromStdString(summary.title), QString::fromStdString(summary.body),
                outcome == BackupSummaryOutcome::Completed ? QSystemTrayIcon::Information
                                                           : QSystemTrayIcon::Warning);
        }
    });
}

}  // namespace harbrook::qt
