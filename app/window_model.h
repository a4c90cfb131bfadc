// What the main window shows, decided once for every window front end: which
// panel is on show and which navigation button is checked, what the banner
// says, and how dialog units become pixels. A front end renders these
// answers; it never decides a panel rule itself. Used on the UI thread only.
#pragma once

#include <optional>
#include <string>

#include "app/progress_meter.h"
#include "core/frontend.h"

namespace harbrook {

// The main window's child panels.
enum class PanelId { Connect = 1, Connected = 2, ReceivedFiles = 3 };

// The navigation buttons that can be checked ("Send Files" never is).
enum class NavButton { ConnectPhone, ReceivedFiles };

NavButton CheckedButtonFor(PanelId panel);

class WindowModel {
  public:
    // The panel on show; nothing until the first ShowPanel.
    std::optional<PanelId> ShownPanel() const { return m_shown; }
    std::optional<NavButton> CheckedButton() const;
    bool IsConnected() const { return m_connected; }
    // "Connected to %s" with the phone's name, "smartphone" (in the
    // user's language) when it has none or none that converts.
    std::string ConnectedHeadline() const;

    // Makes the panel the one on show.
    void ShowPanel(PanelId panel) { m_shown = panel; }
    // "Connect Phone": the connected panel while a phone is connected.
    void OnConnectPhone();
    void OnReceivedFiles() { ShowPanel(PanelId::ReceivedFiles); }
    // The window opens again: the panel that was on show, else the connect panel.
    void OnOpenMainWindow();
    // The display hook: the connect and connected panels swap with the
    // state; the received-files panel stays. The phone's name is kept in
    // both cases.
    void OnConnectionStateChanged(bool connected, const std::string& phoneName);

  private:
    std::optional<PanelId> m_shown;
    bool m_connected = false;
    std::string m_phoneName;
};

enum class BannerPicture { NotConnected, Connected };

struct BannerView {
    BannerPicture picture = BannerPicture::NotConnected;
    std::string text;
    std::string progressLine;  // empty unless a backup runs
    int percent = -1;          // 0..100 while a backup runs, else -1
};

class BannerModel {
  public:
    BannerModel();  // not connected
    const BannerView& View() const { return m_view; }

    // A connection change replaces any backup status.
    void OnConnectionStateChanged(bool connected);
    // A status of the backup receiver; it stays until the next change.
    void OnStatus(const std::string& text);
    void OnProgress(const ProgressReading& reading);
    // The backup ended: the progress line goes, its last status stays.
    void OnBackupEnded();

  private:
    BannerView m_view;
};

// "42% of 28.5 MB · 3.1 MB/s · 0:05 left": the banner's second line.
std::string BannerProgressLine(const ProgressReading& reading);

// The tray notification after a backup: its title (the status text) and
// "12 files, 4.5 MB, in 0:42.", with the count of files kept incomplete and
// why a backup failed on lines of their own when there are any.
struct BackupSummary {
    std::string title;
    std::string body;
};
BackupSummary SummariseBackup(BackupOutcome outcome, std::int64_t files, std::int64_t bytes,
                              std::int64_t seconds, std::int64_t incomplete = 0,
                              const std::string& reason = {}, std::int64_t alreadyStored = 0);

// Replaces each "{name}" of the template by its value; other text stays.
std::string FillPlaceholders(std::string text,
                             std::initializer_list<std::pair<const char*, std::string>> values);

// A dialog's sizes are given in dialog units: a quarter of the font's average
// character width across, an eighth of its height down.
struct DialogBaseUnits {
    int x = 6;   // average character width in pixels
    int y = 13;  // character height in pixels
};
int DluToPixelsX(int dlu, DialogBaseUnits base);
int DluToPixelsY(int dlu, DialogBaseUnits base);

}  // namespace harbrook
