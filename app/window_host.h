// What the window front ends' hosts share around their UI loops: the watch
// that turns a quit request (Ctrl-C, SIGTERM, a closed console) into the
// window's own "Quit", and the application's side of the window's clicks.
#pragma once

#include <functional>
#include <thread>

#include "app/application.h"
#include "app/window_view.h"

namespace harbrook {

class QuitRequestWatch {
  public:
    // `quit` runs on the watch's own thread, so it only hands the request
    // to the UI thread.
    explicit QuitRequestWatch(std::function<void()> quit);
    // Ends the watch (also when the quit came from the window's menu).
    ~QuitRequestWatch();
    QuitRequestWatch(const QuitRequestWatch&) = delete;
    QuitRequestWatch& operator=(const QuitRequestWatch&) = delete;

  private:
    std::thread m_thread;
};

// The window's clicks as the application carries them out.
class ApplicationCommands final : public WindowCommands {
  public:
    explicit ApplicationCommands(Application& app) : m_app(app) {}
    bool PhoneKnown() override;
    void SendFiles(std::vector<std::filesystem::path> files) override;
    void Disconnect() override;
    // For the connected phone (if any) under the stored backup root.
    FolderAction CategoryFolder(unsigned folderStringId) override;
    void ConnectPanelShown(bool shown) override;
    void CheckBackups() override;

  private:
    Application& m_app;
};

}  // namespace harbrook
