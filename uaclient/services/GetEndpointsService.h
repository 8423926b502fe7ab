// GetEndpoints: asks a server which endpoints, security policies and user tokens it offers.
#pragma once

#include <vector>

#include "uaclient/services/EndpointDescription.h"

namespace ua {

struct GetEndpointsRequest {
  static constexpr uint32_t kEncodingId = ids::kGetEndpointsRequest;
  RequestHeader requestHeader;
  String endpointUrl;
  std::vector<String> localeIds;
  std::vector<String> profileUris;  // empty = every transport profile

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct GetEndpointsResponse {
  static constexpr uint32_t kEncodingId = ids::kGetEndpointsResponse;
  ResponseHeader responseHeader;
  std::vector<EndpointDescription> endpoints;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

}  // namespace ua
