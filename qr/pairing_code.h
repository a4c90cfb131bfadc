// Keeps the pairing QR code in step with the local address and the bound
// pairing port: the bitmap is rewritten only when the text changes, and the
// front end is handed the file to show.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

#include "core/frontend.h"
#include "link/link_context.h"

namespace harbrook {

class PairingCode final : public PairingCodeSink {
  public:
    explicit PairingCode(Frontend& frontend) : m_frontend(frontend) {}

    // Text = local IPv4 + ":" + port. True when the code on show matches it.
    bool UpdatePairingCode(const std::string& portText) override;

    std::string LastText() const;
    std::filesystem::path BitmapPath() const;  // data folder + "qrcode.bmp"

  private:
    Frontend& m_frontend;
    mutable std::mutex m_mutex;
    std::string m_lastText;
};

}  // namespace harbrook
