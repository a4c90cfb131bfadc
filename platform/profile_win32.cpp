// INI files through the Windows profile functions themselves.
#include <windows.h>
// winbase.h maps these names to the old win.ini functions.
#undef ReadProfileString
#undef WriteProfileString

#include <vector>

#include "platform/profile.h"
#include "platform/win32_text.h"

namespace harbrook::platform {

std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t capacity) {
    if (capacity == 0) return {};
    std::vector<wchar_t> buffer(capacity, L'\0');
    const DWORD n =
        GetPrivateProfileStringW(win32::Widen(section).c_str(), win32::Widen(key).c_str(),
                                 win32::Widen(defaultValue).c_str(), buffer.data(),
                                 static_cast<DWORD>(capacity), file.wstring().c_str());
    std::size_t len = n;
    // A cut never ends inside a surrogate pair.
    if (len > 0 && buffer[len - 1] >= 0xD800 && buffer[len - 1] <= 0xDBFF) --len;
    return win32::Narrow(std::wstring_view(buffer.data(), len));
}

bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value) {
    if (section.empty() || key.empty()) return false;
    const auto noBreak = [](std::string_view s) { return s.find_first_of("\r\n") == s.npos; };
    if (!noBreak(section) || !noBreak(key) || !noBreak(value) || key.find('=') != key.npos)
        return false;
    return WritePrivateProfileStringW(win32::Widen(section).c_str(), win32::Widen(key).c_str(),
                                      win32::Widen(value).c_str(), file.wstring().c_str()) != 0;
}

}  // namespace harbrook::platform
