#include "ui/win32/win32_frontend.h"

#include "ui/win32/main_window.h"

namespace harbrook::win32 {

Win32Frontend::Win32Frontend(CharbrookDlg& window)
    : PostingFrontend(window), m_window(window), m_uiThread(std::this_thread::get_id()) {}

bool Win32Frontend::OnUiThread() const {
    return std::this_thread::get_id() == m_uiThread;
}

void Win32Frontend::PostToUiThread(std::function<void()> work) {
    // The one hop from a worker to the UI thread: a window message that
    // carries the work; windows are touched on the UI thread only.
    m_window.Post(std::move(work));
}

bool Win32Frontend::ShowQrCode(const std::filesystem::path& bitmap, const std::string&) {
    // Decoded here, on the worker: the file may be written again before the
    // UI thread would get to it.
    Image qr = Image::FromFile(bitmap);
    if (qr.Empty()) return false;
    Post([this, qr] { m_window.ShowQrCode(qr); });
    return true;
}

}  // namespace harbrook::win32
