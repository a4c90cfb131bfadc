// "ANSI" on Windows is the system code page (CP_ACP).
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/text.h"
#include "platform/utf8.h"
#include "platform/win32_text.h"

namespace harbrook::platform {

std::optional<std::string> AnsiToUtf8(std::string_view ansi) {
    if (ansi.empty()) return std::string();
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(),
                                      static_cast<int>(ansi.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                        wide.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    if (utf8.empty()) return std::string();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), n);
    BOOL lossy = FALSE;
    const int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, &lossy);
    if (m <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

std::vector<std::string> CommandLineUtf8(int argc, const char* const* argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide || count != argc) {
        if (wide) LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(win32::Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

std::size_t FileNameLength(std::string_view utf8) {
    return Utf16Units(utf8);
}

}  // namespace harbrook::platform
