#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QGuiApplication>

#include "app/window_host.h"
#include "app/window_presenter.h"
#include "app/window_texts.h"
#include "core/app_folders.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_view.h"
#include "ui/qt/tray_icon.h"

namespace harbrook {
namespace {

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
    QtHost() : m_qapp(g_argc, g_argv), m_view(m_window, m_tray), m_presenter(m_view, m_view) {
        QApplication::setApplicationName("Harbrook");
        QApplication::setWindowIcon(m_window.windowIcon());
        QGuiApplication::setDesktopFileName("harbrook");
        // Only "Quit" ends the program, not the last window closing.
        QApplication::setQuitOnLastWindowClosed(false);
        // The language's own direction: Arabic and Hebrew texts lay the window out mirrored.
        if (QString::fromStdString(window_text::Text(kStrConnectPhone)).isRightToLeft())
            QApplication::setLayoutDirection(Qt::RightToLeft);
        m_view.Connect(m_presenter);
        QObject::connect(&m_tray, &qt::TrayIcon::quitRequested, qApp, &Quit);
    }

    AppFrontend& Ui() override { return m_presenter; }

    void Run(Application& app) override {
        ApplicationCommands commands(app);
        m_presenter.SetCommands(&commands);
        m_presenter.SetTrayPresent(QSystemTrayIcon::isSystemTrayAvailable());
        m_tray.Start();
        // A backup reminder that start-up found due waits in the event queue
        // and shows as the loop starts, whether or not the window is open.
        std::filesystem::path programFolder;
        m_presenter.Start(GetModuleFolder(programFolder) ? std::optional(programFolder)
                                                         : std::nullopt);

        const QuitRequestWatch watch(
            [] { QMetaObject::invokeMethod(qApp, &Quit, Qt::QueuedConnection); });
        QApplication::exec();
        m_presenter.SetCommands(nullptr);
        m_tray.hide();
    }

  private:
    QApplication m_qapp;
    qt::MainWindow m_window;
    qt::TrayIcon m_tray;
    qt::QtView m_view;
    WindowPresenter m_presenter;
};

}  // namespace

std::unique_ptr<FrontEndHost> MakeQtHost(const Options&) {
    return std::make_unique<QtHost>();
}

}  // namespace harbrook
