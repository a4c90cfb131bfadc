#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <array>
#include <cstring>

#include "platform/net.h"
#include "platform/win32_text.h"

namespace harbrook::platform {

bool InitSockets() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::string HostIPv4() {
    if (!InitSockets()) return {};
    std::array<char, 512> name{};
    if (gethostname(name.data(), static_cast<int>(name.size() - 1)) != 0) return {};
    const hostent* host = gethostbyname(name.data());
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
        return {};
    in_addr addr{};
    std::memcpy(&addr, host->h_addr_list[0], sizeof addr);
    return inet_ntoa(addr);
}

std::optional<std::string> ComputerName() {
    std::array<wchar_t, 512> name{};
    DWORD size = static_cast<DWORD>(name.size());
    if (!GetComputerNameW(name.data(), &size)) return std::nullopt;
    return win32::Narrow(std::wstring_view(name.data(), size));
}

}  // namespace harbrook::platform
