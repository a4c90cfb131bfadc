#include "app/window_host.h"

#include "core/settings_store.h"
#include "platform/quit_request.h"

namespace harbrook {

QuitRequestWatch::QuitRequestWatch(std::function<void()> quit)
    : m_thread([quit = std::move(quit)] {
          platform::WaitForQuitRequest();
          quit();
      }) {}

QuitRequestWatch::~QuitRequestWatch() {
    // A second request after the first one has been handled costs nothing:
    // the program is ending anyway.
    platform::RequestQuit();
    m_thread.join();
}

FolderAction CategoryFolderAction(Application& app, unsigned folderStringId) {
    ReceivedFilesSources sources;
    sources.phoneName = app.Link().state.GetConnectedPhoneNameW();
    std::filesystem::path root;
    if (CSettingsStore().ReadRootDirectory(root)) sources.storedRoot = root;
    return OpenCategoryFolder(sources, folderStringId);
}

}  // namespace harbrook
