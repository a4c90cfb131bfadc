// INI files through the Windows profile functions themselves.
#include <windows.h>
// winbase.h maps these names to the old win.ini functions.
#undef ReadProfileString
#undef WriteProfileString

#include <mutex>
#include <string>
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
    // The file is made and written under one lock: another thread must not
    // find it still held open without sharing (its write would fail) or write
    // into it before the byte order mark is there.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    // A new file starts with the UTF-16 byte order mark: the profile functions
    // then keep every character instead of the ANSI code page's subset.
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetLastError() == ERROR_FILE_NOT_FOUND) {
        const HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            const unsigned char bom[2] = {0xFF, 0xFE};
            DWORD written = 0;
            WriteFile(h, bom, sizeof bom, &written, nullptr);
            CloseHandle(h);
        }
    }
    const std::wstring wideSection = win32::Widen(section), wideKey = win32::Widen(key),
                       wideValue = win32::Widen(value), wideFile = file.wstring();
    // Another process may hold the file for a moment (making it, say): try
    // again for up to half a second.
    for (int attempt = 0;; ++attempt) {
        if (WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str(),
                                       wideFile.c_str()))
            return true;
        if (GetLastError() != ERROR_SHARING_VIOLATION || attempt == 50) return false;
        Sleep(10);
    }
}

}  // namespace harbrook::platform
