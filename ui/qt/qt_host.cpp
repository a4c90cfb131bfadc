#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include "app/window_host.h"
#include "app/window_texts.h"
#include "core/app_folders.h"
#include "core/settings_store.h"
#include "send/send_files.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_frontend.h"
#include "ui/qt/reminder_popup.h"
#include "ui/qt/tray_icon.h"

namespace harbrook {
namespace {

using namespace window_text;

// QApplication keeps references to these for its whole life.
int g_argc = 1;
char g_argv0[] = "harbrook";
char* g_argv[] = {g_argv0, nullptr};

// Ends the event loop at once. (quit() would first ask every window to
// close, and the main window only hides or minimises when asked.)
void Quit() {
    QCoreApplication::exit(0);
}

class QtHost final : public FrontEndHost {
  public:
    QtHost() : m_qapp(g_argc, g_argv), m_frontend(m_window, m_tray) {
        QApplication::setApplicationName("Harbrook");
        QApplication::setWindowIcon(m_window.windowIcon());
        QGuiApplication::setDesktopFileName("harbrook");
        // Only "Quit" ends the program, not the last window closing.
        QApplication::setQuitOnLastWindowClosed(false);
        // The language's own direction: Arabic and Hebrew texts lay the window out mirrored.
        if (QString::fromStdString(window_text::Text(kStrConnectPhone)).isRightToLeft())
            QApplication::setLayoutDirection(Qt::RightToLeft);
        m_frontend.SetReminderHandler([this] { ShowReminder(); });
    }

    AppFrontend& Ui() override { return m_frontend; }

    void Run(Application& app) override {
        Wire(app);
        LoadPhonePicture();
        // A backup reminder that start-up found due waits in the event queue
        // and shows as the loop starts, whether or not the window is open.
        const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
        m_window.SetTrayPresent(tray);
        m_tray.Start();
        // Without a notification area there would be nothing to see.
        if (!tray) m_window.OpenMainWindow();

        const QuitRequestWatch watch(
            [] { QMetaObject::invokeMethod(qApp, &Quit, Qt::QueuedConnection); });
        QApplication::exec();
        m_frontend.Close();
        m_tray.hide();
    }

  private:
    void Wire(Application& app) {
        QObject::connect(&m_tray, &qt::TrayIcon::openRequested, &m_window,
                         &qt::MainWindow::OpenMainWindow);
        QObject::connect(&m_tray, &qt::TrayIcon::quitRequested, qApp, &Quit);
        QObject::connect(&m_tray, &qt::TrayIcon::startAtLoginFailed, &m_window,
                         [this](const QString& why) {
                             m_window.ShowMessage(Text(kStrStartAtLogin, kButtonText) + ": " +
                                                  why.toStdString());
                         });
        QObject::connect(&m_window, &qt::MainWindow::disconnectClicked, &m_window,
                         [&app] { app.Disconnect(); });
        QObject::connect(&m_window, &qt::MainWindow::sendFilesClicked, &m_window, [this, &app] {
            if (!PhoneKnown(app)) return;
            Send(app, m_window.ChooseFilesToSend());
        });
        QObject::connect(&m_window, &qt::MainWindow::filesDropped, &m_window,
                         [this, &app](const QStringList& files) {
                             if (PhoneKnown(app)) Send(app, files);
                         });
        QObject::connect(&m_window, &qt::MainWindow::categoryClicked, &m_window,
                         [this, &app](unsigned folder) { OpenCategory(app, folder); });
    }

    // Once a start at most; the pop-up lives as long as the window.
    void ShowReminder() {
        if (m_reminder) return;
        std::filesystem::path dataFolder;
        GetAppDataFolder(dataFolder);
        m_reminder = std::make_unique<qt::ReminderPopup>(dataFolder);
        // Its button takes the tray's way to the window.
        QObject::connect(m_reminder.get(), &qt::ReminderPopup::openMainWindowRequested, &m_window,
                         &qt::MainWindow::OpenMainWindow);
        m_reminder->ShowNow();
    }

    // A send needs the phone's address; the file dialog is not worth opening without it.
    bool PhoneKnown(Application& app) {
        if (!app.Link().state.PhoneAddress().empty()) return true;
        m_window.ShowMessage(LoadUiString(send_text::kNoPhone, 200));
        return false;
    }

    static void Send(Application& app, const QStringList& files) {
        if (files.isEmpty()) return;
        std::vector<std::filesystem::path> paths;
        for (const QString& file : files) paths.push_back(Utf8ToPath(file.toStdString()));
        app.SendFiles(std::move(paths));
    }

    void OpenCategory(Application& app, unsigned folder) {
        const FolderAction action = CategoryFolderAction(app, folder);
        if (action.message) m_window.ShowMessage(LoadUiString(*action.message, 200));
        for (const auto& path : action.open) {
            QDesktopServices::openUrl(
                QUrl::fromLocalFile(QString::fromStdString(PathToUtf8(path))));
        }
    }

    void LoadPhonePicture() {
        std::filesystem::path folder;
        const bool found = GetModuleFolder(folder);
        const QString path = QString::fromStdString(PathToUtf8(folder / "mobile.jpg"));
        if (!found || !m_window.Connect()->LoadPhonePicture(path)) {
            // The panel goes on without the picture.
            m_window.ShowMessage(kReinstallMessage);
        }
    }

    QApplication m_qapp;
    qt::MainWindow m_window;
    qt::TrayIcon m_tray;
    qt::QtFrontend m_frontend;
    std::unique_ptr<qt::ReminderPopup> m_reminder;
};

}  // namespace

std::unique_ptr<FrontEndHost> MakeQtHost(const Options&) {
    return std::make_unique<QtHost>();
}

}  // namespace harbrook
