// The program's one window: the banner across the top, the navigation
// buttons down the left and one of the three panels at the bottom right.
// It draws the state the window presenter (app/window_presenter.h) hands it
// and reports the user's wishes as signals. Used on the UI thread only.
#pragma once

#include <QStackedWidget>
#include <QWidget>

#include "app/window_view.h"
#include "ui/qt/banner.h"
#include "ui/qt/buttons.h"
#include "ui/qt/panels.h"

namespace harbrook::qt {

class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Draws the state; the window shows, hides or comes to the front only
    // when the state says so anew.
    void Render(const WindowViewState& state);
    const WindowViewState& Rendered() const { return m_state; }
    // A message box that does not hold up the caller.
    void ShowMessage(const std::string& text);
    // Asks and waits for the answer (true for OK).
    bool AskOkCancel(const std::string& text);
    // The file dialog of "Send Files"; empty when cancelled.
    QStringList ChooseFilesToSend();

    // The window's size: 525 by 340 dialog units of its font.
    static DialogBaseUnits BaseUnitsOf(const QFont& font);

    Banner* BannerWidget() const { return m_banner; }
    NavButton* NavConnect() const { return m_navConnect; }
    NavButton* NavReceived() const { return m_navReceived; }
    NavButton* NavSend() const { return m_navSend; }
    ConnectPanel* Connect() const { return m_connect; }
    ConnectedPanel* Connected() const { return m_connected; }
    ReceivedFilesPanel* Received() const { return m_received; }
    QWidget* PanelOnShow() const { return m_panels->currentWidget(); }

    void setVisible(bool visible) override;

  signals:
    void connectPhoneClicked();
    void receivedFilesClicked();
    void sendFilesClicked();
    void filesDropped(const QStringList& paths);
    void disconnectClicked();
    void categoryClicked(unsigned folderStringId);
    // The close box or Esc.
    void closeRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ApplyVisibility();

    WindowViewState m_state;  // as last rendered

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
