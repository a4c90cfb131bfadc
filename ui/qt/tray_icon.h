// The notification-area icon: its tip, a left click to open the window, and
// the menu "Open main window" (the default, bold) and "Quit". It only
// signals; the main window decides. Where no notification area exists yet,
// it looks again every 5 seconds.
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

  signals:
    void openRequested();
    void quitRequested();

  private:
    void TryToShow();

    QMenu m_menu;
    QTimer m_retry;
};

}  // namespace harbrook::qt
