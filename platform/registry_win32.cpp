// The registry on Windows: HKEY_CURRENT_USER, text values (REG_SZ).
#include <windows.h>

#include <vector>

#include "platform/registry.h"
#include "platform/win32_text.h"

namespace harbrook::platform {
namespace {

// The registry itself shrugs at an empty level (two backslashes in a row, one
// at either end); such a path is always a mistake of ours, refused as on POSIX.
bool ValidKeyPath(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
    return path.find("\\\\") == std::string_view::npos;
}

}  // namespace

struct RegistryKey::Impl {
    HKEY key = nullptr;
};

RegistryKey::RegistryKey() : m_impl(std::make_unique<Impl>()) {}
RegistryKey::~RegistryKey() {
    Close();
}

void RegistryKey::Close() {
    if (m_impl->key) RegCloseKey(m_impl->key);
    m_impl->key = nullptr;
}

bool RegistryKey::CreateKey(std::string_view path) {
    Close();
    if (!ValidKeyPath(path)) return false;
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, win32::Widen(path).c_str(), 0, nullptr, 0,
                                    KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return false;
    m_impl->key = key;
    return true;
}

bool RegistryKey::Open(std::string_view path) {
    Close();
    if (!ValidKeyPath(path)) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::Widen(path).c_str(), 0, KEY_READ | KEY_WRITE,
                      &key) != ERROR_SUCCESS)
        return false;
    m_impl->key = key;
    return true;
}

bool RegistryKey::Read(std::string_view name, std::string& value) const {
    if (!m_impl->key) return false;
    const std::wstring wname = win32::Widen(name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(m_impl->key, wname.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(m_impl->key, wname.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    value = win32::Narrow(std::wstring_view(buffer.data()));  // up to the first terminator
    return true;
}

bool RegistryKey::Write(std::string_view name, std::string_view value) {
    if (!m_impl->key) return false;
    const std::wstring wvalue = win32::Widen(value);
    return RegSetValueExW(m_impl->key, win32::Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wvalue.c_str()),
                          static_cast<DWORD>((wvalue.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

}  // namespace harbrook::platform
