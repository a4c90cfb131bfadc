// The core's Frontend for the Win32 window: the shared posting frame with a
// window message as the hop to the UI thread, and the QR picture decoded on
// the worker.
#pragma once

#include <thread>

#include "app/posting_frontend.h"

namespace harbrook::win32 {

class CharbrookDlg;

class Win32Frontend final : public PostingFrontend {
  public:
    // Made on the UI thread, which it remembers.
    explicit Win32Frontend(CharbrookDlg& window);

    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;

  private:
    bool OnUiThread() const override;
    void PostToUiThread(std::function<void()> work) override;

    CharbrookDlg& m_window;
    const std::thread::id m_uiThread;
};

}  // namespace harbrook::win32
