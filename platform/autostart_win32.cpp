#include <windows.h>

#include "platform/autostart.h"

namespace harbrook::platform {
namespace {
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"Harbrook";
}  // namespace

bool StartsAtLogin() {
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

std::string StartAtLoginPlace() {
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Harbrook";
}

bool SetStartAtLogin(bool on, const std::filesystem::path& executable, StartAtLoginFailure* why) {
    const auto fail = [why](LSTATUS status) {
        if (why) *why = {StartAtLoginProblem::CannotChange, static_cast<long>(status)};
        return false;
    };
    HKEY key = nullptr;
    if (const LSTATUS opened = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0,
                                               KEY_SET_VALUE, nullptr, &key, nullptr);
        opened != ERROR_SUCCESS) {
        return fail(opened);
    }
    LSTATUS status;
    if (on) {
        const std::wstring command = L"\"" + executable.wstring() + L"\"";
        status = RegSetValueExW(key, kValueName, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(command.c_str()),
                                static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        status = RegDeleteValueW(key, kValueName);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? true : fail(status);
}

}  // namespace harbrook::platform
