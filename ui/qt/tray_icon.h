// The notification-area icon: its tip, a left click to open the window, and
// the menu "Open main window" (the default, bold), "Check backups", "Start at login" (checked
// while the login entry exists) and "Quit". It signals what the user asks
// for and the main window decides; only the start at login, a setting of its
// own, it switches itself, the same way `harbrook --autostart` does. Where no
// notification area exists yet, it looks again every 5 seconds.
#pragma once

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace harbrook::qt {

class TrayIcon final : public QSystemTrayIcon {
    Q_OBJECT
  public:
    static constexpr int kRetryMs = 5000;

    explicit TrayIcon(QObject* parent = nullptr);
    // Shows the icon now if a notification area exists, else keeps trying.
    void Start();
    QMenu* Menu() { return &m_menu; }
    QAction* StartAtLoginItem() const { return m_startAtLogin; }

  signals:
    void openRequested();
    void quitRequested();
    void checkBackupsRequested();
    // The start at login could not be switched; the text says why.
    void startAtLoginFailed(const QString& why);

  private:
    void TryToShow();
    void SwitchStartAtLogin(bool on);

    QMenu m_menu;
    QAction* m_startAtLogin;
    QTimer m_retry;
};

}  // namespace harbrook::qt
