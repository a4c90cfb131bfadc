// The Win32 window as the window presenter sees it: the view that draws the
// presenter's state on the main window, the tray and the reminder pop-up,
// and the hop to the UI thread, a window message.
#pragma once

#include <memory>
#include <thread>

#include "app/window_presenter.h"
#include "app/window_view.h"

namespace harbrook::win32 {

class CharbrookDlg;
class CNotifyBackup;

class Win32View final : public WindowView, public UiThread {
  public:
    // Made on the UI thread, which it remembers.
    explicit Win32View(CharbrookDlg& window);
    ~Win32View();

    // The window's clicks go to the presenter.
    void Connect(WindowPresenter& presenter);
    CNotifyBackup* Reminder() const { return m_reminder.get(); }

    void Render(const WindowViewState& state) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    std::vector<std::filesystem::path> PickFilesToSend() override;
    void OpenFolder(const std::filesystem::path& folder) override;
    void Notify(const std::string& title, const std::string& body, bool warning) override;
    void ShowQrCode(const std::string& bitmapBytes, const std::string& text) override;
    bool LoadPhonePicture(const std::filesystem::path& file) override;
    void ShowReminder() override;

    bool IsCurrent() const override;
    bool Post(std::function<void()> work) override;

  private:
    CharbrookDlg& m_window;
    const std::thread::id m_uiThread;
    WindowPresenter* m_presenter = nullptr;
    std::unique_ptr<CNotifyBackup> m_reminder;
};

}  // namespace harbrook::win32
