#include "core/file_names.h"

#include <cctype>
#include <string>

namespace harbrook {

bool IsWindowsDeviceName(std::string_view name) {
    // Device names count with any extension, any letter case and trailing
    // blanks ("nul.txt", "Aux .mp3").
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == device) return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace harbrook
