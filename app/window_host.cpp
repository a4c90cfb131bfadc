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

bool ApplicationCommands::PhoneKnown() {
    return !m_app.Link().state.PhoneAddress().empty();
}

void ApplicationCommands::SendFiles(std::vector<std::filesystem::path> files) {
    m_app.SendFiles(std::move(files));
}

void ApplicationCommands::Disconnect() {
    m_app.Disconnect();
}

void ApplicationCommands::ConnectPanelShown(bool shown) {
    m_app.SetConnectPanelShown(shown);
}

void ApplicationCommands::CheckBackups() {
    m_app.CheckBackups();
}

FolderAction ApplicationCommands::CategoryFolder(unsigned folderStringId) {
    ReceivedFilesSources sources;
    sources.phoneName = m_app.Link().state.GetConnectedPhoneNameW();
    std::filesystem::path root;
    if (CSettingsStore().ReadRootDirectory(root)) sources.storedRoot = root;
    return OpenCategoryFolder(sources, folderStringId);
}

}  // namespace harbrook
