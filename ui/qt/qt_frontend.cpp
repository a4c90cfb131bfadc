#include "ui/qt/qt_frontend.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QThread>

#include "app/window_model.h"
#include "core/settings_store.h"
#include "ui/qt/main_window.h"
#include "ui/qt/tray_icon.h"

namespace harbrook::qt {

QtFrontend::QtFrontend(MainWindow& window, TrayIcon& tray)
    : PostingFrontend(window), m_window(window), m_tray(tray) {}

bool QtFrontend::OnUiThread() const {
    return QThread::currentThread() == m_window.thread();
}

namespace {
const QEvent::Type kRunQueued = static_cast<QEvent::Type>(QEvent::registerEventType());
}  // namespace

void QtFrontend::PostToUiThread(std::function<void()> work) {
    // The one hop from a worker thread to the UI thread: the work runs there,
    // in the order it was posted; widgets are never touched from a worker.
    {
        std::lock_guard lock(m_runner.mutex);
        m_runner.queue.push_back(std::move(work));
    }
    QCoreApplication::postEvent(&m_runner, new QEvent(kRunQueued));
}

// One event for each piece of work, each running the oldest: the order
// holds, and a message box's loop runs what was posted while it is open,
// as the events of any other window.
bool QtFrontend::Runner::event(QEvent* event) {
    if (event->type() != kRunQueued) return QObject::event(event);
    std::function<void()> work;
    {
        std::lock_guard lock(mutex);
        if (queue.empty()) return true;
        work = std::move(queue.front());
        queue.pop_front();
    }
    work();
    return true;
}

bool QtFrontend::ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) {
    // Read here, on the worker: the file may be written again before the UI
    // thread would get to it.
    const QImage image(QString::fromStdString(PathToUtf8(bitmap)));
    if (image.isNull()) return false;
    Post([this, image, text] { m_window.ShowQrCode(image, text); });
    return true;
}

void QtFrontend::OnBackupRecorded(const BackupRecord& record) {
    const BackupOutcome outcome = record.outcome;
    const BackupSummary summary = SummariseBackup(outcome, record.files, record.bytes,
                                                  record.endSeconds - record.startSeconds);
    Post([this, summary, outcome] {
        m_window.OnBackupEnded();
        if (m_tray.isVisible()) {
            m_tray.showMessage(QString::fromStdString(summary.title),
                               QString::fromStdString(summary.body),
                               outcome == BackupOutcome::Completed ? QSystemTrayIcon::Information
                                                                   : QSystemTrayIcon::Warning);
        }
    });
}

}  // namespace harbrook::qt
