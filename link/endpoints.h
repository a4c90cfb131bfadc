// Addresses the PC hands out and checks.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

namespace harbrook {

// Name of the environment variable that overrides the local address lookup.
inline constexpr const char* kAddressEnvVar = "HARBROOK_ADDRESS";

// Overrides the local address for this process (the --address option). An
// empty text removes the override.
void SetLocalAddressOverride(std::string address);

// The PC's IPv4 address as dotted text: the override when set, else the
// HARBROOK_ADDRESS environment variable, else the first address of the host
// name. Empty when the lookup fails.
std::string GetLocalIPv4();

// True for four dot-separated decimal groups of at most 255, a colon and a
// port (the port is not range-checked). Empty groups read as 0.
bool IsValidEndpointText(std::string_view text);

// True for exactly four dot-separated groups of 1-3 digits each at most 255.
bool IsDottedIPv4(std::string_view text);

// "address:port" for the phone. A port field still at 0 first receives the
// default, which is then used.
std::string BuildEndpoint(std::atomic<int>& portField, int defaultPort);

// The /24 prefix of an address: everything up to and including its last dot;
// empty without a dot.
std::string NetworkPrefix(std::string_view address);

// True for exactly "A.B.C.D:port" (a dotted IPv4 address and a port from 1 to
// 65535) whose address starts with `prefix` ("A.B.C.", from NetworkPrefix).
bool IsEndpointInNetwork(std::string_view text, std::string_view prefix);

}  // namespace harbrook
