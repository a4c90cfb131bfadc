#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <array>
#include <mutex>

#include "platform/net.h"

namespace harbrook::platform {

bool InitSockets() {
    return true;
}

std::string HostIPv4() {
    std::array<char, 512> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) return {};
    // getaddrinfo is the thread-safe form of gethostbyname; the first IPv4
    // address in the resolver's order wins, as with gethostbyname.
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.data(), nullptr, &hints, &result) != 0 || !result) return {};
    std::string text;
    for (const addrinfo* ai = result; ai; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET) continue;
        std::array<char, INET_ADDRSTRLEN> buf{};
        const auto* sin = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
        if (::inet_ntop(AF_INET, &sin->sin_addr, buf.data(), buf.size())) text = buf.data();
        break;
    }
    ::freeaddrinfo(result);
    return text;
}

std::optional<std::string> ComputerName() {
    std::array<char, 512> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return std::nullopt;
    return std::string(name.data());
}

}  // namespace harbrook::platform
