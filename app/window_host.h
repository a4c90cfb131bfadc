// What the window front ends' hosts share around their UI loops: the watch
// that turns a quit request (Ctrl-C, SIGTERM, a closed console) into the
// window's own "Quit", and what a category button of the received-files
// panel opens with what the application knows now.
#pragma once

#include <functional>
#include <thread>

#include "app/application.h"
#include "app/received_files.h"

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

// A click on the category button whose folder is named by folderStringId,
// for the connected phone (if any) under the stored backup root.
FolderAction CategoryFolderAction(Application& app, unsigned folderStringId);

}  // namespace harbrook
