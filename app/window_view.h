// What a window toolkit gives the window presenter (app/window_presenter.h):
// a view that shows what it is told, the hop to its UI thread, and — from the
// application — the commands a click starts. The presenter decides; a view
// never holds a window rule of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/received_files.h"
#include "app/window_model.h"

namespace harbrook {

enum class WindowVisibility {
    Hidden,     // behind the tray icon (the start, the close box with a tray)
    Shown,      // restored, on screen
    Minimised,  // the close box where no notification area exists
};

// Everything the main window shows, as one value.
struct WindowViewState {
    PanelId panel = PanelId::Connect;
    std::optional<NavButton> checked;  // the navigation button drawn pressed
    BannerView banner;
    std::string connectedHeadline;  // "Connected to Pixel"
    std::string sendText;           // the "Send Files" button's caption
    bool sendEnabled = true;
    WindowVisibility visibility = WindowVisibility::Hidden;
    // False until the window is first opened: until then nobody may show it
    // (a toolkit that shows windows by itself asks here).
    bool allowShow = false;
    // Goes up by one each time the window is to come to the front.
    std::uint64_t raise = 0;
};

// The toolkit's part, called on the UI thread only.
class WindowView {
  public:
    virtual void Render(const WindowViewState& state) = 0;
    // A message with an OK button; it does not hold up the UI thread's work.
    virtual void ShowMessage(const std::string& text) = 0;
    // Asks and waits for the answer (true for OK).
    virtual bool AskOkCancel(const std::string& text) = 0;
    // The file dialog of "Send Files"; empty when cancelled.
    virtual std::vector<std::filesystem::path> PickFilesToSend() = 0;
    // Shows the folder in the system's file manager.
    virtual void OpenFolder(const std::filesystem::path& folder) = 0;
    // A notice of the notification area (a backup's end); nothing without one.
    virtual void Notify(const std::string& title, const std::string& body, bool warning) = 0;
    // The pairing code's bitmap, as read from its file, and the text it holds.
    virtual void ShowQrCode(const std::string& bitmapBytes, const std::string& text) = 0;
    // The phone picture of the connect panel; false when it cannot be shown.
    virtual bool LoadPhonePicture(const std::filesystem::path& file) = 0;
    // The backup reminder's pop-up; its button opens the main window.
    virtual void ShowReminder() = 0;

  protected:
    ~WindowView() = default;
};

// The hop from a worker to the toolkit's UI thread.
class UiThread {
  public:
    virtual bool IsCurrent() const = 0;
    // Queues the work for the UI thread, to run later and in order; never
    // runs it before returning. False when it cannot be queued (the window
    // is gone): the work is dropped.
    virtual bool Post(std::function<void()> work) = 0;

  protected:
    ~UiThread() = default;
};

// What the window's clicks start in the application.
class WindowCommands {
  public:
    // A phone whose address is known: a send can go somewhere.
    virtual bool PhoneKnown() = 0;
    virtual void SendFiles(std::vector<std::filesystem::path> files) = 0;
    virtual void Disconnect() = 0;
    // What a category button of the received-files panel opens or says.
    virtual FolderAction CategoryFolder(unsigned folderStringId) = 0;
    // The Connect Phone panel, with its code, came on show or went: phones
    // may pair while it shows and for a while after.
    virtual void ConnectPanelShown(bool shown) = 0;
    // The tray menu's "Check backups": the stored files are read again in
    // the background; the end comes back as OnBackupsChecked.
    virtual void CheckBackups() = 0;

  protected:
    ~WindowCommands() = default;
};

}  // namespace harbrook
