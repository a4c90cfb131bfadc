#include "link/endpoints.h"

#include <gtest/gtest.h>

#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

TEST(EndpointText, AcceptsAddressAndPort) {
    EXPECT_TRUE(IsValidEndpointText("192.168.1.20:13965"));
    EXPECT_TRUE(IsValidEndpointText("127.0.0.1:34926"));
    // Lenient groups: an empty group reads 0, every colon checks the group before it,
    // and the port is not range-checked.
    EXPECT_TRUE(IsValidEndpointText("1..2.3:80"));
    EXPECT_TRUE(IsValidEndpointText("1.2.3.4:5:6"));
    EXPECT_TRUE(IsValidEndpointText("1.2.3.4:"));
    EXPECT_TRUE(IsValidEndpointText("1.2.3.4:99999999"));
    EXPECT_TRUE(IsValidEndpointText("000000255.0.0.0:1"));
    EXPECT_TRUE(IsValidEndpointText(":1.2.3.4")) << "the colon only has to be there";
}

TEST(EndpointText, RejectsEverythingElse) {
    for (const char* bad :
         {"", "192.168.1.20", ".1.2.3:5", "1.2.3.4.:5", "1.2.3:5", "1.2.3.256:5", "1.2.3.4:5a",
          "1.2.3.4.5:6", " 1.2.3.4:5", "1.2.3.4:5.", "a.b.c.d:1", "1.2.3.4:256.1"}) {
        EXPECT_FALSE(IsValidEndpointText(bad)) << bad;
    }
    EXPECT_FALSE(IsValidEndpointText(std::string_view("1.2.3.4:5\0", 10)));
}

TEST(EndpointText, BeaconsMayNameOnlyTheScannedNetwork) {
    EXPECT_TRUE(IsEndpointInNetwork("192.168.1.20:24639", "192.168.1."));
    EXPECT_TRUE(IsEndpointInNetwork("127.0.0.254:65535", "127.0.0."));
    for (const char* bad :
         {"192.168.2.20:24639", "192.168.10.20:24639", "8.8.8.8:53", "192.168.1.20",
          "192.168.1.20:", "192.168.1.20:0", "192.168.1.20:65536", "192.168.1.20:080",
          "192.168.1.20:5 ", "192.168.1.256:5", "192.168.1.20:5:6", "localhost:5"})
        EXPECT_FALSE(IsEndpointInNetwork(bad, "192.168.1.")) << bad;
    EXPECT_FALSE(IsEndpointInNetwork("1.2.3.4:5", ""));
}

TEST(EndpointText, DottedAddressesForOptions) {
    EXPECT_TRUE(IsDottedIPv4("127.0.0.1"));
    EXPECT_TRUE(IsDottedIPv4("255.255.255.255"));
    for (const char* bad : {"", "127.0.0", "127.0.0.1.", "127..0.1", "256.0.0.1", "1.2.3.4:5",
                            "1.2.3.0004", "localhost"})
        EXPECT_FALSE(IsDottedIPv4(bad)) << bad;
}

TEST(LocalAddress, OverrideThenEnvironmentThenHost) {
    test::SetEnv(kAddressEnvVar, "127.0.0.9");
    SetLocalAddressOverride("");
    EXPECT_EQ(GetLocalIPv4(), "127.0.0.9");
    SetLocalAddressOverride("127.0.0.5");
    EXPECT_EQ(GetLocalIPv4(), "127.0.0.5");
    SetLocalAddressOverride("");
    test::SetEnv(kAddressEnvVar, "127.0.0.1");
}

TEST(LocalAddress, EndpointBuilderStoresTheDefaultOnce) {
    std::atomic<int> port{0};
    EXPECT_EQ(BuildEndpoint(port, 6392), "127.0.0.1:6392");
    EXPECT_EQ(port.load(), 6392);
    port = 15328;
    EXPECT_EQ(BuildEndpoint(port, 6392), "127.0.0.1:15328") << "a bound port is kept";
    EXPECT_EQ(NetworkPrefix("192.168.1.10"), "192.168.1.");
    EXPECT_EQ(NetworkPrefix(""), "");
    EXPECT_EQ(NetworkPrefix("nodots"), "");
}

}  // namespace
}  // namespace harbrook
