// Splits an "opc.tcp://host[:port][/path]" endpoint URL into what the socket needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ua {

constexpr uint16_t kDefaultOpcTcpPort = 4840;

struct EndpointAddress {
  std::string host;  // without the brackets of an IPv6 literal
  uint16_t port = kDefaultOpcTcpPort;
  std::string path;  // "" or starting with '/'
};

// nullopt for another scheme, an empty host, or a port that is not 1..65535.
std::optional<EndpointAddress> ParseEndpointUrl(const std::string& url);

}  // namespace ua
