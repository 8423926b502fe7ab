#include "uaclient/client/EndpointUrl.h"

#include <cctype>

namespace ua {

std::optional<EndpointAddress> ParseEndpointUrl(const std::string& url) {
  static const std::string kScheme = "opc.tcp://";
  if (url.size() < kScheme.size()) return std::nullopt;
  for (size_t i = 0; i < kScheme.size(); ++i) {
    // Schemes compare case-insensitively.
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return std::nullopt;
  }
  const std::string rest = url.substr(kScheme.size());
  const size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  EndpointAddress address;
  if (slash != std::string::npos) address.path = rest.substr(slash);
  if (authority.find('@') != std::string::npos) return std::nullopt;  // no user info in opc.tcp

  std::string portText;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return std::nullopt;
    address.host = authority.substr(1, close - 1);
    const std::string after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') return std::nullopt;
      portText = after.substr(1);
      if (portText.empty()) return std::nullopt;
    }
  } else {
    const size_t colon = authority.find(':');
    address.host = authority.substr(0, colon);
    if (colon != std::string::npos) {
      portText = authority.substr(colon + 1);
      if (portText.empty()) return std::nullopt;
    }
  }
  if (address.host.empty()) return std::nullopt;
  if (!portText.empty()) {
    if (portText.size() > 5) return std::nullopt;
    uint32_t port = 0;
    for (char c : portText) {
      if (c < '0' || c > '9') return std::nullopt;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    address.port = static_cast<uint16_t>(port);
  }
  return address;
}

}  // namespace ua
