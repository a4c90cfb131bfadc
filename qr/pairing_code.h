// The pairing code on show: "<local IPv4>:<pairing port>" as a QR bitmap in
// the data folder, handed to the front end. Rewritten only when the text
// changes.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

#include "core/frontend.h"
#include "link/link_context.h"

namespace harbrook {

inline constexpr const char* kQrBitmapName = "qrcode.bmp";

class PairingCode final : public PairingCodeSink {
  public:
    explicit PairingCode(Frontend& frontend) : m_frontend(frontend) {}

    // True when the code shown matches the current text.
    bool UpdatePairingCode(const std::string& portText) override;

    // The text last written and shown; empty before the first success.
    std::string LastText() const;
    // How many times the bitmap file has been written.
    int WriteCount() const;

  private:
    Frontend& m_frontend;
    mutable std::mutex m_mutex;
    std::string m_lastText;
    int m_writes = 0;
};

}  // namespace harbrook
