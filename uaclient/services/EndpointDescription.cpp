// Field-order encoding of the endpoint description structures, and the endpoint choice.
#include "uaclient/services/EndpointDescription.h"

#include "uaclient/SecureChunk.h"
#include "uaclient/services/ServiceCodec.h"

namespace ua {

void ApplicationDescription::Encode(Encoder& e) const {
  e.WriteString(applicationUri);
  e.WriteString(productUri);
  e.WriteLocalizedText(applicationName);
  WriteEnum(e, applicationType);
  e.WriteString(gatewayServerUri);
  e.WriteString(discoveryProfileUri);
  WriteStringArray(e, discoveryUrls);
}

bool ApplicationDescription::Decode(Decoder& d) {
  return d.ReadString(applicationUri) && d.ReadString(productUri) && d.ReadLocalizedText(applicationName) &&
         ReadEnum(d, applicationType) && d.ReadString(gatewayServerUri) && d.ReadString(discoveryProfileUri) &&
         ReadStringArray(d, discoveryUrls);
}

void UserTokenPolicy::Encode(Encoder& e) const {
  e.WriteString(policyId);
  WriteEnum(e, tokenType);
  e.WriteString(issuedTokenType);
  e.WriteString(issuerEndpointUrl);
  e.WriteString(securityPolicyUri);
}

bool UserTokenPolicy::Decode(Decoder& d) {
  return d.ReadString(policyId) && ReadEnum(d, tokenType) && d.ReadString(issuedTokenType) &&
         d.ReadString(issuerEndpointUrl) && d.ReadString(securityPolicyUri);
}

// Four null strings and an Int32.
constexpr size_t kMinUserTokenPolicySize = 20;

void EndpointDescription::Encode(Encoder& e) const {
  e.WriteString(endpointUrl);
  server.Encode(e);
  e.WriteByteString(serverCertificate);
  WriteEnum(e, securityMode);
  e.WriteString(securityPolicyUri);
  WriteStructArray(e, userIdentityTokens);
  e.WriteString(transportProfileUri);
  e.WriteByte(securityLevel);
}

bool EndpointDescription::Decode(Decoder& d) {
  return d.ReadString(endpointUrl) && server.Decode(d) && d.ReadByteString(serverCertificate) &&
         ReadEnum(d, securityMode) && d.ReadString(securityPolicyUri) &&
         ReadStructArray(d, userIdentityTokens, kMinUserTokenPolicySize) && d.ReadString(transportProfileUri) &&
         d.ReadByte(securityLevel);
}

std::optional<AnonymousEndpoint> FindAnonymousNoneEndpoint(const std::vector<EndpointDescription>& endpoints) {
  for (size_t i = 0; i < endpoints.size(); ++i) {
    const EndpointDescription& ep = endpoints[i];
    if (ep.securityMode != MessageSecurityMode::None || ep.securityPolicyUri != kSecurityPolicyNoneUri) continue;
    for (const UserTokenPolicy& policy : ep.userIdentityTokens) {
      if (policy.tokenType == UserTokenType::Anonymous) return AnonymousEndpoint{i, policy.policyId};
    }
  }
  return std::nullopt;
}

}  // namespace ua
