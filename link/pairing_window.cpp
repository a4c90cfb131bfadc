#include "link/pairing_window.h"

namespace harbrook {

PairingWindow::PairingWindow(const Clock& clock, std::chrono::milliseconds length)
    : m_clock(clock), m_seconds(std::chrono::ceil<std::chrono::seconds>(length).count()) {}

void PairingWindow::CodeShown() {
    m_openUntil.store(m_clock.NowSeconds() + m_seconds);
}

void PairingWindow::SetPanelShown(bool shown) {
    // Refreshed first, so that the window never closes in between.
    if (!shown && m_panelShown.load()) CodeShown();
    m_panelShown.store(shown);
}

bool PairingWindow::IsOpen() const {
    return m_always.load() || m_panelShown.load() || m_clock.NowSeconds() < m_openUntil.load();
}

}  // namespace harbrook
