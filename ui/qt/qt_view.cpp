#include "ui/qt/qt_view.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QImage>
#include <QThread>
#include <QUrl>

#include "app/window_texts.h"
#include "core/app_folders.h"
#include "core/settings_store.h"
#include "ui/qt/main_window.h"
#include "ui/qt/reminder_popup.h"
#include "ui/qt/tray_icon.h"

namespace harbrook::qt {
namespace {

const QEvent::Type kRunQueued = static_cast<QEvent::Type>(QEvent::registerEventType());

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(PathToUtf8(path));
}

}  // namespace

QtView::QtView(MainWindow& window, TrayIcon& tray) : m_window(window), m_tray(tray) {}

QtView::~QtView() = default;

void QtView::Connect(WindowPresenter& presenter) {
    m_presenter = &presenter;
    WindowPresenter* p = &presenter;
    QObject::connect(&m_window, &MainWindow::connectPhoneClicked, &m_window,
                     [p] { p->OnConnectPhoneClicked(); });
    QObject::connect(&m_window, &MainWindow::receivedFilesClicked, &m_window,
                     [p] { p->OnReceivedFilesClicked(); });
    QObject::connect(&m_window, &MainWindow::sendFilesClicked, &m_window,
                     [p] { p->OnSendFilesClicked(); });
    QObject::connect(&m_window, &MainWindow::filesDropped, &m_window,
                     [p](const QStringList& files) {
                         std::vector<std::filesystem::path> paths;
                         for (const QString& file : files)
                             paths.push_back(Utf8ToPath(file.toStdString()));
                         p->OnFilesDropped(std::move(paths));
                     });
    QObject::connect(&m_window, &MainWindow::disconnectClicked, &m_window,
                     [p] { p->OnDisconnectClicked(); });
    QObject::connect(&m_window, &MainWindow::categoryClicked, &m_window,
                     [p](unsigned folder) { p->OnCategoryClicked(folder); });
    QObject::connect(&m_window, &MainWindow::closeRequested, &m_window,
                     [p] { p->OnCloseRequested(); });
    QObject::connect(&m_tray, &TrayIcon::openRequested, &m_window, [p] { p->OpenMainWindow(); });
    QObject::connect(&m_tray, &TrayIcon::checkBackupsRequested, &m_window,
                     [p] { p->OnCheckBackupsClicked(); });
    // The start at login is the tray's own setting; only its failure is told.
    QObject::connect(&m_tray, &TrayIcon::startAtLoginFailed, &m_window, [this](const QString& why) {
        ShowMessage(window_text::Text(kStrStartAtLogin, window_text::kButtonText) + ": " +
                    why.toStdString());
    });
}

void QtView::Render(const WindowViewState& state) {
    m_window.Render(state);
}

void QtView::ShowMessage(const std::string& text) {
    m_window.ShowMessage(text);
}

bool QtView::AskOkCancel(const std::string& text) {
    return m_window.AskOkCancel(text);
}

std::vector<std::filesystem::path> QtView::PickFilesToSend() {
    std::vector<std::filesystem::path> paths;
    for (const QString& file : m_window.ChooseFilesToSend())
        paths.push_back(Utf8ToPath(file.toStdString()));
    return paths;
}

void QtView::OpenFolder(const std::filesystem::path& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(Q(folder)));
}

void QtView::Notify(const std::string& title, const std::string& body, bool warning) {
    if (!m_tray.isVisible()) return;
    m_tray.showMessage(QString::fromStdString(title), QString::fromStdString(body),
                       warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
}

void QtView::ShowQrCode(const std::string& bitmapBytes, const std::string& text) {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bitmapBytes.data()),
                            static_cast<int>(bitmapBytes.size())))
        return;
    m_window.Connect()->Qr()->SetImage(image, QString::fromStdString(text));
}

bool QtView::LoadPhonePicture(const std::filesystem::path& file) {
    return m_window.Connect()->LoadPhonePicture(Q(file));
}

void QtView::ShowReminder() {
    std::filesystem::path dataFolder;
    GetAppDataFolder(dataFolder);
    m_reminder = std::make_unique<ReminderPopup>(dataFolder);
    // Its button takes the tray's way to the window.
    QObject::connect(m_reminder.get(), &ReminderPopup::openMainWindowRequested, &m_window, [this] {
        if (m_presenter) m_presenter->OpenMainWindow();
    });
    m_reminder->ShowNow();
}

bool QtView::IsCurrent() const {
    return QThread::currentThread() == m_window.thread();
}

bool QtView::Post(std::function<void()> work) {
    // Without an application object nothing would ever run the work.
    if (!QCoreApplication::instance()) return false;
    // The one hop from a worker thread to the GUI thread: the work runs there,
    // in the order it was posted; widgets are never touched from a worker.
    {
        std::lock_guard lock(m_runner.mutex);
        m_runner.queue.push_back(std::move(work));
    }
    QCoreApplication::postEvent(&m_runner, new QEvent(kRunQueued));
    return true;
}

// One event for each piece of work, each running the oldest: the order
// holds, and a message box's loop runs what was posted while it is open,
// as the events of any other window.
bool QtView::Runner::event(QEvent* event) {
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

}  // namespace harbrook::qt
