// ApplicationDescription, UserTokenPolicy and EndpointDescription, and choosing an endpoint we can use.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "uaclient/services/SecureChannelServices.h"

namespace ua {

enum class ApplicationType : int32_t { Server = 0, Client = 1, ClientAndServer = 2, DiscoveryServer = 3 };
enum class UserTokenType : int32_t { Anonymous = 0, UserName = 1, Certificate = 2, IssuedToken = 3 };

struct ApplicationDescription {
  String applicationUri;
  String productUri;
  LocalizedText applicationName;
  ApplicationType applicationType = ApplicationType::Client;
  String gatewayServerUri;
  String discoveryProfileUri;
  std::vector<String> discoveryUrls;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct UserTokenPolicy {
  String policyId;
  UserTokenType tokenType = UserTokenType::Anonymous;
  String issuedTokenType;
  String issuerEndpointUrl;
  String securityPolicyUri;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct EndpointDescription {
  String endpointUrl;
  ApplicationDescription server;
  ByteString serverCertificate;
  MessageSecurityMode securityMode = MessageSecurityMode::None;
  String securityPolicyUri;
  std::vector<UserTokenPolicy> userIdentityTokens;
  String transportProfileUri;
  uint8_t securityLevel = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// Smallest encoding of one EndpointDescription (every string null, every array empty), which bounds an
// array count against the bytes left: 4 + ApplicationDescription 25 + 4 + 4 + 4 + 4 + 4 + 1.
constexpr size_t kMinEndpointDescriptionSize = 50;

// The endpoint and anonymous token policy a policy-None client can use.
struct AnonymousEndpoint {
  size_t endpointIndex = 0;
  String policyId;  // goes into AnonymousIdentityToken.policyId
};

// The first endpoint with security mode None, the None security policy and an Anonymous user token, or
// nullopt when the server offers none (it then insists on security we do not implement).
std::optional<AnonymousEndpoint> FindAnonymousNoneEndpoint(const std::vector<EndpointDescription>& endpoints);

}  // namespace ua
