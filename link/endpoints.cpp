#include "link/endpoints.h"

#include <cstdlib>
#include <mutex>

#include "platform/net.h"

namespace harbrook {
namespace {
std::mutex g_overrideMutex;
std::string g_override;
}  // namespace

void SetLocalAddressOverride(std::string address) {
    std::lock_guard lock(g_overrideMutex);
    g_override = std::move(address);
}

std::string GetLocalIPv4() {
    {
        std::lock_guard lock(g_overrideMutex);
        if (!g_override.empty()) return g_override;
    }
    if (const char* env = std::getenv(kAddressEnvVar); env && *env) return env;
    return platform::HostIPv4();
}

bool IsValidEndpointText(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.') return false;
    std::string group;
    int dots = 0;
    bool colon = false;
    const auto groupOk = [&group] {
        // Only the group's value matters; long runs of digits are simply large.
        long value = 0;
        for (char c : group) {
            value = value * 10 + (c - '0');
            if (value > 255) return false;
        }
        group.clear();
        return true;
    };
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            group += c;
        } else if (c == '.') {
            ++dots;
            if (!groupOk()) return false;
        } else if (c == ':') {
            colon = true;
            if (!groupOk()) return false;
        } else {
            return false;
        }
    }
    return dots == 3 && colon;
}

bool IsDottedIPv4(std::string_view text) {
    int groups = 0;
    std::size_t i = 0;
    while (true) {
        int value = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i++] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        ++groups;
        if (i == text.size()) return groups == 4;
        if (text[i] != '.' || groups == 4) return false;
        ++i;
    }
}

std::string BuildEndpoint(std::atomic<int>& portField, int defaultPort) {
    int expected = 0;
    portField.compare_exchange_strong(expected, defaultPort);
    return GetLocalIPv4() + ":" + std::to_string(portField.load());
}

std::string NetworkPrefix(std::string_view address) {
    const std::size_t dot = address.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(address.substr(0, dot + 1));
}

bool IsEndpointInNetwork(std::string_view text, std::string_view prefix) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view address = text.substr(0, colon);
    const std::string_view port = text.substr(colon + 1);
    if (!IsDottedIPv4(address) || prefix.empty() || !address.starts_with(prefix)) return false;
    if (port.empty() || port.size() > 5 || port.front() == '0') return false;
    int value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= 65535;
}

}  // namespace harbrook
