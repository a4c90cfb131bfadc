#include "ui/qt/tray_icon.h"

#include "app/window_texts.h"
#include "locale/system_error.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "ui/qt/art.h"

namespace harbrook::qt {

using namespace window_text;

TrayIcon::TrayIcon(QObject* parent) : QSystemTrayIcon(parent) {
    setIcon(ArtIcon("harbrook"));
    setToolTip(QString::fromStdString(Text(kStrTrayTip, kButtonText)));
    QAction* open = m_menu.addAction(QString::fromStdString(Text(kStrOpenMainWindow, kButtonText)));
    m_menu.addSeparator();
    QAction* check =
        m_menu.addAction(QString::fromStdString(Text(kStrMenuCheckBackups, kButtonText)));
    m_menu.addSeparator();
    m_startAtLogin = m_menu.addAction(QString::fromStdString(Text(kStrStartAtLogin, kButtonText)));
    m_startAtLogin->setCheckable(true);
    m_startAtLogin->setChecked(platform::StartsAtLogin());
    m_menu.addSeparator();
    QAction* quit = m_menu.addAction(QString::fromStdString(Text(kStrQuit, kButtonText)));
    m_menu.setDefaultAction(open);  // drawn bold
    connect(open, &QAction::triggered, this, &TrayIcon::openRequested);
    connect(quit, &QAction::triggered, this, &TrayIcon::quitRequested);
    connect(check, &QAction::triggered, this, &TrayIcon::checkBackupsRequested);
    connect(m_startAtLogin, &QAction::triggered, this, &TrayIcon::SwitchStartAtLogin);
    // The entry may have been switched meanwhile (`harbrook --autostart`, by hand).
    connect(&m_menu, &QMenu::aboutToShow, this,
            [this] { m_startAtLogin->setChecked(platform::StartsAtLogin()); });
    setContextMenu(&m_menu);
    connect(this, &QSystemTrayIcon::activated, this, [this](ActivationReason reason) {
        if (reason == Trigger) emit openRequested();
    });
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &TrayIcon::TryToShow);
}

void TrayIcon::Start() {
    TryToShow();
    // Keeps watching: a notification area that goes away and comes back
    // (the panel restarts) gets the icon again.
    m_retry.start();
}

void TrayIcon::SwitchStartAtLogin(bool on) {
    platform::StartAtLoginFailure why;
    const bool switched = platform::SetStartAtLogin(on, platform::ProgramToStart(), &why);
    // The tick shows what is, not what was asked for.
    m_startAtLogin->setChecked(platform::StartsAtLogin());
    if (!switched) {
        emit startAtLoginFailed(QString::fromStdString(
            DescribeStartAtLoginFailure(why, platform::StartAtLoginPlace())));
    }
}

void TrayIcon::TryToShow() {
    if (!isSystemTrayAvailable()) return;
    // show() again after the area came back adds the icon anew.
    if (!isVisible()) show();
}

}  // namespace harbrook::qt
