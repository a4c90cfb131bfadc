// The pairing QR code drawn with Unicode half blocks, two module rows per
// text line, with the quiet zone a phone camera needs to find the symbol.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace harbrook {

inline constexpr int kQrQuietZone = 4;  // modules of light margin on each side

// The symbol's modules (true = dark) with the quiet zone around them; the
// same encoding as the pairing bitmap. Empty when the text cannot be encoded.
std::vector<std::vector<bool>> QrModules(std::string_view text);

// The symbol as text lines. With `colour`, ANSI escapes paint it black on
// white whatever the terminal's theme; without, the light modules are the
// drawn ones, for the usual light-on-dark terminal.
std::string RenderQrForTerminal(std::string_view text, bool colour);

}  // namespace harbrook
