#include "ui/win32/panels.h"

#include "app/received_files.h"
#include "app/window_texts.h"
#include "ui/win32/resource_ids.h"

namespace harbrook::win32 {
namespace {

using namespace window_text;

constexpr COLORREF kText = RGB(0x34, 0x3F, 0x4B);
constexpr COLORREF kHeadline = RGB(0x1F, 0x2D, 0x3D);

constexpr int kCategoryPictures[4] = {IDP_CATEGORY_ALBUM, IDP_CATEGORY_OTHER, IDP_CATEGORY_DOCUMENT,
                                      IDP_CATEGORY_AUDIO};

void SetText(HWND control, const std::wstring& text) {
    SetWindowTextW(control, text.c_str());
}

std::wstring WithProduct(unsigned id) {
    return Wide(WithProductName(id));
}

}  // namespace

PanelDialog::~PanelDialog() {
    DeleteObject(m_white);
    if (m_headline) DeleteObject(m_headline);
}

void PanelDialog::MakeHeadline(int id, double scale) {
    if (!m_headline) m_headline = DeriveFont(Hwnd(), true, scale);
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_headline), FALSE);
}

INT_PTR PanelDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(m_white);
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, RGB(255, 255, 255));
            const bool headline =
                m_headline && reinterpret_cast<HFONT>(SendMessageW(reinterpret_cast<HWND>(lParam),
                                                                   WM_GETFONT, 0, 0)) == m_headline;
            SetTextColor(dc, headline ? kHeadline : kText);
            return reinterpret_cast<INT_PTR>(m_white);
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return TRUE;
            break;
        default:
            break;
    }
    return HandlePanelMessage(message, wParam, lParam);
}

bool PhoneConnectDlg::LoadPhonePicture(const std::filesystem::path& file) {
    m_phone.Attach(Item(IDC_PHONE_PICTURE));
    if (!m_phone.LoadFile(file)) return false;
    m_phone.Draw();
    return true;
}

void PhoneConnectDlg::ShowQrCode(Image qr) {
    m_qr = std::move(qr);
    InvalidateRect(Item(IDC_QR_PICTURE), nullptr, FALSE);
}

INT_PTR PhoneConnectDlg::HandlePanelMessage(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            std::wstring headline = LoadText(kStrPairingTitle, kLongText);
            while (!headline.empty() && headline.back() == L' ') headline.pop_back();
            SetText(Item(IDC_CONNECT_HEADLINE), headline);
            MakeHeadline(IDC_CONNECT_HEADLINE, 1.3);
            SetText(Item(IDC_CONNECT_STEP1), WithProduct(kStrPairingStepInstall));
            SetText(Item(IDC_CONNECT_STEP2), WithProduct(kStrPairingStepScan));
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            FillSolid(item.hDC, item.rcItem, RGB(255, 255, 255));
            if (item.CtlID == IDC_PHONE_PICTURE) m_phone.Paint(item.hDC, item.rcItem);
            if (item.CtlID == IDC_QR_PICTURE) m_qr.DrawWholePixels(item.hDC, item.rcItem);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void PhoneConnectedDlg::SetHeadline(const std::string& text) {
    SetText(Item(IDC_CONNECTED_HEADLINE), Wide(text));
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR PhoneConnectedDlg::HandlePanelMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            MakeHeadline(IDC_CONNECTED_HEADLINE, 1.3);
            SetText(Item(IDC_CONNECTED_LINE1), LoadText(kStrConnectedBackupLine, kLongText));
            SetText(Item(IDC_CONNECTED_LINE2), LoadText(kStrConnectedSendLine, kLongText));
            SetText(Item(IDC_DISCONNECT), LoadText(kStrDisconnect, kLongText));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_DISCONNECT && HIWORD(wParam) == BN_CLICKED && onDisconnect) {
                onDisconnect();
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR ReceivedFilesDlg::HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            for (std::size_t i = 0; i < m_buttons.size(); ++i) {
                CMyButton& button = m_buttons[i];
                button.Attach(Item(IDC_CATEGORY_FIRST + int(i)), true);
                SetText(button.Hwnd(), LoadText(kCategoryButtons[i].caption, 200));
                button.SetDescription(LoadText(kCategoryButtons[i].description, 300));
                button.SetImage(Image::FromResource(kCategoryPictures[i]));
            }
            return TRUE;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const unsigned index = item.CtlID - IDC_CATEGORY_FIRST;
            if (index >= m_buttons.size()) return FALSE;
            m_buttons[index].Draw(item);
            return TRUE;
        }
        case WM_COMMAND: {
            const unsigned index = LOWORD(wParam) - IDC_CATEGORY_FIRST;
            if (index < m_buttons.size() && HIWORD(wParam) == BN_CLICKED && onCategory) {
                onCategory(kCategoryButtons[index].folder);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace harbrook::win32
