// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
#include <winsock2.h>
// Then the rest.
#include <stdlib.h>
#include <windows.h>

#include <optional>
#include <random>
#include <stdexcept>

#include "tests/support/sandbox_system.h"

namespace harbrook::test::system {

void SetEnv(const char* name, const std::string& value) {
    _putenv_s(name, value.c_str());
}

void UnsetEnv(const char* name) {
    _putenv_s(name, "");  // an empty value removes the variable
}

std::filesystem::path MakeTempFolder() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto folder = base / ("harbrook-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(folder, ec)) return folder;
    }
    throw std::runtime_error("no temporary folder could be made");
}

namespace {

constexpr wchar_t kExplorer[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
constexpr const wchar_t* kShellFolderKeys[] = {L"User Shell Folders", L"Shell Folders"};

struct SavedValue {
    DWORD type = REG_SZ;
    std::wstring data;
};
std::optional<SavedValue> g_saved[2];

std::wstring KeyPath(const wchar_t* leaf) {
    return std::wstring(kExplorer) + leaf;
}

std::optional<SavedValue> ReadAppData(const wchar_t* leaf) {
    wchar_t buffer[2048];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(leaf).c_str(), L"AppData",
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, buffer,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return SavedValue{type, buffer};
}

void WriteAppData(const wchar_t* leaf, DWORD type, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(leaf).c_str(), L"AppData", type, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

void PointUserDataFolderAt(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 2; ++i) {
        g_saved[i] = ReadAppData(kShellFolderKeys[i]);
        WriteAppData(kShellFolderKeys[i], REG_SZ, folder.wstring());
    }
}

void RestoreUserDataFolder() {
    for (int i = 0; i < 2; ++i) {
        if (g_saved[i])
            WriteAppData(kShellFolderKeys[i], g_saved[i]->type, g_saved[i]->data);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, KeyPath(kShellFolderKeys[i]).c_str(), L"AppData");
        g_saved[i].reset();
    }
}

void ClearOutsideSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Harbrook");
}

unsigned ProcessId() {
    return static_cast<unsigned>(GetCurrentProcessId());
}

namespace {
bool SocketsReady() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}
}  // namespace

bool TcpPortIsFree(int port) {
    if (!SocketsReady()) return false;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    const bool free = ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::closesocket(s);
    return free;
}

bool WriteToLoopbackPort(int port, const std::string& bytes) {
    if (!SocketsReady()) return false;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    bool written = false;
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        written = ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0) ==
                  static_cast<int>(bytes.size());
    ::closesocket(s);
    return written;
}

}  // namespace harbrook::test::system
