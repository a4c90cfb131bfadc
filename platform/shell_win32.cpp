#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/win32_text.h"

namespace harbrook::platform {

bool ShellOpen(const std::filesystem::path& file, const std::string& parameters) {
    const std::wstring wideParameters = win32::Widen(parameters);
    const HINSTANCE result = ShellExecuteW(
        nullptr, L"open", file.wstring().c_str(),
        wideParameters.empty() ? nullptr : wideParameters.c_str(), nullptr, SW_SHOWNORMAL);
    // Values of 32 and below are the shell's error codes.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace harbrook::platform
