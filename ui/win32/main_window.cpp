#include "ui/win32/main_window.h"

#include <commdlg.h>
#include <shlobj.h>

#include "app/window_texts.h"
#include "ui/win32/file_dialog.h"
#include "ui/win32/resource_ids.h"

namespace harbrook::win32 {
namespace {

using namespace window_text;

// Work posted by Post: lParam is a heap-allocated std::function.
constexpr UINT kRunPosted = WM_APP + 1;
constexpr COLORREF kNavBackground = RGB(0xF4, 0xF7, 0xFB);
constexpr int kNavIds[3] = {IDC_NAV_CONNECT, IDC_NAV_RECEIVED, IDC_NAV_SEND};
constexpr int kNavPictures[3] = {IDP_NAV_CONNECT, IDP_NAV_RECEIVED, IDP_NAV_SEND};
constexpr unsigned kNavTexts[3] = {kStrConnectPhone, kStrReceivedFiles, kStrSendFiles};

}  // namespace

CharbrookDlg::CharbrookDlg() : m_navBrush(CreateSolidBrush(kNavBackground)) {}

CharbrookDlg::~CharbrookDlg() {
    m_tray.Remove();
    if (m_icon) DestroyIcon(m_icon);
    if (m_smallIcon) DestroyIcon(m_smallIcon);
    DeleteObject(m_navBrush);
}

bool CharbrookDlg::Create() {
    return DialogWindow::Create(IDD_MAIN, nullptr);
}

bool CharbrookDlg::Post(std::function<void()> work) {
    auto* posted = new std::function<void()>(std::move(work));
    // Read once: the UI thread clears it when the window goes.
    const HWND target = m_postTarget.load();
    if (target && PostMessageW(target, kRunPosted, 0, reinterpret_cast<LPARAM>(posted)))
        return true;
    delete posted;
    return false;
}

void CharbrookDlg::OnInitDialog() {
    m_postTarget = Hwnd();
    HINSTANCE self = GetModuleHandleW(nullptr);
    m_icon =
        static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDI_HARBROOK), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_smallIcon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDI_HARBROOK), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    SetWindowTextW(Hwnd(), LoadText(kStrProductName, kNameText).c_str());

    // The banner at the top-left corner with its own size, above its siblings.
    if (m_banner.Create(IDD_BANNER, Hwnd())) {
        SetWindowPos(m_banner.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    for (int i = 0; i < 3; ++i) {
        m_nav[i].Attach(Item(kNavIds[i]), false);
        m_nav[i].SetImage(Image::FromResource(kNavPictures[i]));
        SetWindowTextW(m_nav[i].Hwnd(), LoadText(kNavTexts[i], kButtonText).c_str());
    }
    m_connected.Create(IDD_CONNECTED, Hwnd());
    m_connected.onDisconnect = [this] { Call(onDisconnect); };
    m_connect.Create(IDD_CONNECT, Hwnd());
    CalcPanelLayout();
    ShowPanel(PanelId::Connect);
    m_tray.onOpen = [this] { Call(onOpen); };
    m_tray.Start(Hwnd());
}

// The panels fill the bottom-right corner: as wide and high as the connect
// panel, flush with the client area's right and bottom edges.
void CharbrookDlg::CalcPanelLayout() {
    RECT client{}, panel{};
    GetClientRect(Hwnd(), &client);
    if (m_connect.Hwnd()) GetClientRect(m_connect.Hwnd(), &panel);
    m_panelRect = {client.right - panel.right, client.bottom - panel.bottom, client.right,
                   client.bottom};
}

// False when the received-files panel, made on first need, cannot be made.
bool CharbrookDlg::ShowPanel(PanelId shown) {
    if (shown == PanelId::ReceivedFiles && !m_received.Hwnd()) {
        if (!m_received.Create(IDD_RECEIVED_FILES, Hwnd())) return false;
        m_received.onCategory = [this](unsigned folder) {
            if (onCategory) onCategory(folder);
        };
    }
    m_shown = shown;
    const std::pair<PanelId, DialogWindow*> panels[] = {{PanelId::Connect, &m_connect},
                                                        {PanelId::Connected, &m_connected},
                                                        {PanelId::ReceivedFiles, &m_received}};
    for (const auto& [id, panel] : panels) {
        if (!panel->Hwnd()) continue;
        if (id == shown) {
            SetWindowPos(panel->Hwnd(), HWND_TOP, m_panelRect.left, m_panelRect.top,
                         m_panelRect.right - m_panelRect.left, m_panelRect.bottom - m_panelRect.top,
                         SWP_SHOWWINDOW);
        } else {
            ShowWindow(panel->Hwnd(), SW_HIDE);
        }
    }
    return true;
}

void CharbrookDlg::Render(const WindowViewState& state) {
    const bool panelChanged = state.panel != m_state.panel;
    const bool visibilityChanged =
        state.visibility != m_state.visibility || state.raise != m_state.raise;
    m_state = state;
    // A panel that cannot be made leaves the one on show (told once).
    if (!ShowPanel(state.panel)) {
        ShowPanel(m_shown);
        if (panelChanged) ShowMessage(RestartMessage());
    }
    m_nav[0].SetChecked(state.checked == harbrook::NavButton::ConnectPhone);
    m_nav[1].SetChecked(state.checked == harbrook::NavButton::ReceivedFiles);
    m_banner.Render(state.banner);
    m_connected.SetHeadline(state.connectedHeadline);
    SetWindowTextW(m_nav[2].Hwnd(), Wide(state.sendText).c_str());
    EnableWindow(m_nav[2].Hwnd(), state.sendEnabled);
    InvalidateRect(m_nav[2].Hwnd(), nullptr, FALSE);
    if (visibilityChanged) ApplyVisibility();
    // Paint what changed now, not when the queue runs dry: a backup keeps
    // the queue busy with progress.
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CharbrookDlg::ApplyVisibility() {
    switch (m_state.visibility) {
        case WindowVisibility::Hidden:
            ShowWindow(Hwnd(), SW_HIDE);
            break;
        case WindowVisibility::Minimised:
            ShowWindow(Hwnd(), SW_MINIMIZE);
            break;
        case WindowVisibility::Shown:
            ShowWindow(Hwnd(), IsIconic(Hwnd()) ? SW_RESTORE : SW_SHOW);
            UpdateWindow(Hwnd());
            SetForegroundWindow(Hwnd());
            break;
    }
}

void CharbrookDlg::ShowQrCode(Image qr) {
    m_connect.ShowQrCode(std::move(qr));
}

bool CharbrookDlg::LoadPhonePicture(const std::filesystem::path& file) {
    return m_connect.LoadPhonePicture(file);
}

HWND CharbrookDlg::MessageOwner() const {
    return IsWindowVisible(Hwnd()) ? Hwnd() : nullptr;
}

void CharbrookDlg::ShowMessage(const std::string& text) {
    MessageBoxW(MessageOwner(), Wide(text).c_str(), LoadText(kStrProductName, kNameText).c_str(),
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MessageBoxDirection());
}

bool CharbrookDlg::AskOkCancel(const std::string& text) {
    const int answer = MessageBoxW(
        MessageOwner(), Wide(text).c_str(), LoadText(kStrProductName, kNameText).c_str(),
        MB_OKCANCEL | MB_ICONQUESTION | MB_SETFOREGROUND | MessageBoxDirection());
    // A quit while the box was open ends its loop as if OK had been
    // pressed (and leaves the quit for the program's loop): that is no
    // answer, and nothing is started for a program that is ending.
    MSG quit;
    const bool ending = !Hwnd() || PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
    return answer == IDOK && !ending;
}

namespace {

// The user's Documents folder; empty when the system has none.
std::wstring DocumentsFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::vector<std::filesystem::path> CharbrookDlg::ChooseFilesToSend(std::size_t bufferChars) {
    std::wstring names(bufferChars, L'\0');
    // "All Files (*.*)", then the pattern; the list ends with a second NUL.
    std::wstring filter = LoadText(kStrAllFilesFilter, kButtonText) + L" (*.*)";
    filter.push_back(L'\0');
    filter += L"*.*";
    filter.push_back(L'\0');
    const std::wstring title = LoadText(kStrChooseFilesTitle, kLongText);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Hwnd();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = title.c_str();
    if (m_lastSendFolder.empty()) m_lastSendFolder = DocumentsFolder();
    if (!m_lastSendFolder.empty()) dialog.lpstrInitialDir = m_lastSendFolder.c_str();
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                   OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    std::vector<std::filesystem::path> files;
    if (!GetOpenFileNameW(&dialog)) {
        // A selection too long for the buffer is told apart from a cancel.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ShowMessage(LoadUiString(kStrBadFiles, 200));
        return files;
    }
    for (const auto& path : SplitOpenFileNames(names)) files.emplace_back(path);
    if (!files.empty()) m_lastSendFolder = files.front().parent_path().wstring();
    return files;
}

void CharbrookDlg::Quit() {
    if (Hwnd()) DestroyWindow(Hwnd());
}

INT_PTR CharbrookDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_tray.HandleMessage(message, wParam, lParam)) return TRUE;
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return FALSE;  // no focus rectangle on a navigation button
        case kRunPosted: {
            std::unique_ptr<std::function<void()>> work(
                reinterpret_cast<std::function<void()>*>(lParam));
            (*work)();
            return TRUE;
        }
        case WM_WINDOWPOSCHANGING:
            // Hidden until first opened, whoever asks to show it.
            if (!m_state.allowShow) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
            return FALSE;
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(m_navBrush);
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            for (auto& button : m_nav) {
                if (button.Hwnd() == item.hwndItem) {
                    button.Draw(item);
                    return TRUE;
                }
            }
            return FALSE;
        }
        case WM_HELP:
            return TRUE;  // help does nothing
        case WM_CLOSE:
            Call(onClose);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_NAV_CONNECT:
                    Call(onConnectPhone);
                    return TRUE;
                case IDC_NAV_RECEIVED:
                    Call(onReceivedFiles);
                    return TRUE;
                case IDC_NAV_SEND:
                    Call(onSendFiles);
                    return TRUE;
                case ID_OPEN_MAIN_WINDOW:
                    Call(onOpen);
                    return TRUE;
                case ID_CHECK_BACKUPS:
                    Call(onCheckBackups);
                    return TRUE;
                case ID_START_AT_LOGIN: {
                    std::string why;
                    if (!TrayIcon::SwitchStartAtLogin(&why))
                        ShowMessage(Text(kStrStartAtLogin, kButtonText) + ": " + why);
                    return TRUE;
                }
                case ID_QUIT:
                    Quit();
                    return TRUE;
                case IDCANCEL:  // Esc
                    Call(onClose);
                    return TRUE;
                case IDOK:  // Enter does nothing
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            m_postTarget = nullptr;
            m_tray.Remove();
            PostQuitMessage(0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace harbrook::win32
