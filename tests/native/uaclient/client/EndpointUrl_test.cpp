#include <gtest/gtest.h>

#include "uaclient/client/EndpointUrl.h"

namespace {

using ua::ParseEndpointUrl;

TEST(EndpointUrl, AcceptsHostPortAndPath) {
  auto a = ParseEndpointUrl("opc.tcp://plant-7:48010/UA/Server");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->host, "plant-7");
  EXPECT_EQ(a->port, 48010);
  EXPECT_EQ(a->path, "/UA/Server");

  auto b = ParseEndpointUrl("OPC.TCP://10.0.0.5");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->host, "10.0.0.5");
  EXPECT_EQ(b->port, 4840);  // default when absent
  EXPECT_EQ(b->path, "");

  auto c = ParseEndpointUrl("opc.tcp://[fe80::1]:4841/x");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->host, "fe80::1");
  EXPECT_EQ(c->port, 4841);
}

TEST(EndpointUrl, RefusesOtherSchemesEmptyHostsAndBadPorts) {
  for (const char* bad : {"http://plant:4840", "opc.https://plant", "plant:4840", "opc.tcp://", "opc.tcp://:4840/x",
                          "opc.tcp://plant:", "opc.tcp://plant:0", "opc.tcp://plant:65536", "opc.tcp://plant:12a",
                          "opc.tcp://plant:123456", "opc.tcp://[fe80::1", "opc.tcp://[]:4840",
                          "opc.tcp://user@plant"}) {
    EXPECT_FALSE(ParseEndpointUrl(bad)) << bad;
  }
  EXPECT_TRUE(ParseEndpointUrl("opc.tcp://plant:65535"));
}

}  // namespace
