#include "ui/win32/win32_view.h"

// windows.h first: the others build on it.
#include <windows.h>
//
#include <shellapi.h>

#include "core/app_folders.h"
#include "ui/win32/graphics.h"
#include "ui/win32/main_window.h"
#include "ui/win32/reminder_popup.h"

namespace harbrook::win32 {

Win32View::Win32View(CharbrookDlg& window)
    : m_window(window), m_uiThread(std::this_thread::get_id()) {}

Win32View::~Win32View() = default;

void Win32View::Connect(WindowPresenter& presenter) {
    m_presenter = &presenter;
    WindowPresenter* p = &presenter;
    m_window.onConnectPhone = [p] { p->OnConnectPhoneClicked(); };
    m_window.onReceivedFiles = [p] { p->OnReceivedFilesClicked(); };
    m_window.onSendFiles = [p] { p->OnSendFilesClicked(); };
    m_window.onDisconnect = [p] { p->OnDisconnectClicked(); };
    m_window.onCategory = [p](unsigned folder) { p->OnCategoryClicked(folder); };
    m_window.onClose = [p] { p->OnCloseRequested(); };
    m_window.onOpen = [p] { p->OpenMainWindow(); };
    m_window.onCheckBackups = [p] { p->OnCheckBackupsClicked(); };
}

void Win32View::Render(const WindowViewState& state) {
    m_window.Render(state);
}

void Win32View::ShowMessage(const std::string& text) {
    m_window.ShowMessage(text);
}

bool Win32View::AskOkCancel(const std::string& text) {
    return m_window.AskOkCancel(text);
}

std::vector<std::filesystem::path> Win32View::PickFilesToSend() {
    return m_window.ChooseFilesToSend();
}

void Win32View::OpenFolder(const std::filesystem::path& folder) {
    ShellExecuteW(nullptr, L"explore", folder.wstring().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32View::Notify(const std::string& title, const std::string& body, bool warning) {
    m_window.Tray().ShowNotice(title, body, warning);
}

void Win32View::ShowQrCode(const std::string& bitmapBytes, const std::string&) {
    // One pixel a module: drawn by whole pixels, it grows with the DPI.
    Image qr = Image::FromBytes(bitmapBytes.data(), bitmapBytes.size()).OnePixelPerBlock();
    if (!qr.Empty()) m_window.ShowQrCode(std::move(qr));
}

bool Win32View::LoadPhonePicture(const std::filesystem::path& file) {
    return m_window.LoadPhonePicture(file);
}

void Win32View::ShowReminder() {
    std::filesystem::path dataFolder;
    GetAppDataFolder(dataFolder);
    m_reminder = std::make_unique<CNotifyBackup>(dataFolder);
    // Its button takes the tray's way to the window.
    m_reminder->onOpenMainWindow = [this] {
        if (m_presenter) m_presenter->OpenMainWindow();
    };
    // Without a taskbar it is made but stays hidden.
    if (m_reminder->Create() && m_reminder->CalcPosition()) m_reminder->ShowNow();
}

bool Win32View::IsCurrent() const {
    return std::this_thread::get_id() == m_uiThread;
}

bool Win32View::Post(std::function<void()> work) {
    // The one hop from a worker to the UI thread: a window message that
    // carries the work; windows are touched on the UI thread only.
    return m_window.Post(std::move(work));
}

}  // namespace harbrook::win32
