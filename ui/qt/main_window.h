// The program's one window: the banner across the top, the navigation
// buttons down the left and one of the three panels at the bottom right.
// It renders what the window logic (app/window_model.h) decides and reports
// the user's wishes as signals. Used on the UI thread only.
#pragma once

#include <QStackedWidget>
#include <QWidget>
#include <filesystem>

#include "app/backup_history.h"
#include "app/posting_frontend.h"
#include "app/window_model.h"
#include "ui/qt/banner.h"
#include "ui/qt/buttons.h"
#include "ui/qt/panels.h"

namespace harbrook::qt {

class MainWindow final : public QWidget, public FrontendWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Restores the window, raises it and shows the panel that was on show.
    void OpenMainWindow() override;
    // The panel switch of a button or of the window logic.
    void ShowPanel(PanelId panel);

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupEnded() override;
    void SetSendButton(const std::string& text, bool enabled) override;
    void ShowQrCode(const QImage& image, const std::string& text);
    // A message box that does not hold up the caller.
    void ShowMessage(const std::string& text) override;
    // Asks and waits for the answer (true for OK).
    bool AskOkCancel(const std::string& text) override;
    // The file dialog of "Send Files"; empty when cancelled.
    QStringList ChooseFilesToSend();

    // The window's size: 525 by 340 dialog units of its font.
    static DialogBaseUnits BaseUnitsOf(const QFont& font);

    const WindowModel& Model() const { return m_model; }
    Banner* BannerWidget() const { return m_banner; }
    NavButton* NavConnect() const { return m_navConnect; }
    NavButton* NavReceived() const { return m_navReceived; }
    NavButton* NavSend() const { return m_navSend; }
    ConnectPanel* Connect() const { return m_connect; }
    ConnectedPanel* Connected() const { return m_connected; }
    ReceivedFilesPanel* Received() const { return m_received; }
    QWidget* PanelOnShow() const { return m_panels->currentWidget(); }
    // Without a notification area the close box minimises instead of hiding.
    void SetTrayPresent(bool present) { m_trayPresent = present; }

    void setVisible(bool visible) override;

  signals:
    void sendFilesClicked();
    void filesDropped(const QStringList& paths);
    void disconnectClicked();
    void categoryClicked(unsigned folderStringId);
    // The Connect Phone panel came on show (the window up, not minimised,
    // that panel in front) or went; phones may pair while it shows.
    void connectPanelShown(bool shown);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void Render();
    void ReportConnectPanel();

    WindowModel m_model;
    BannerModel m_bannerModel;
    bool m_bAllowShow = false;  // false until the first OpenMainWindow
    bool m_trayPresent = true;
    bool m_connectOnShow = false;  // as last reported

    Banner* m_banner;
    NavButton* m_navConnect;
    NavButton* m_navReceived;
    NavButton* m_navSend;
    QStackedWidget* m_panels;
    ConnectPanel* m_connect;
    ConnectedPanel* m_connected;
    ReceivedFilesPanel* m_received;
};

}  // namespace harbrook::qt
