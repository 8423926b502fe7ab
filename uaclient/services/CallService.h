// Call messages, and the ConditionRefresh call that replays the current alarm states.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/ServiceHeaders.h"

namespace ua {

struct CallMethodRequest {
  NodeId objectId;
  NodeId methodId;
  std::vector<Variant> inputArguments;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CallMethodResult {
  StatusCode statusCode;
  std::vector<StatusCode> inputArgumentResults;
  std::vector<DiagnosticInfo> inputArgumentDiagnosticInfos;
  std::vector<Variant> outputArguments;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CallRequest {
  static constexpr uint32_t kEncodingId = ids::kCallRequest;
  RequestHeader requestHeader;
  std::vector<CallMethodRequest> methodsToCall;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CallResponse {
  static constexpr uint32_t kEncodingId = ids::kCallResponse;
  ResponseHeader responseHeader;
  std::vector<CallMethodResult> results;  // one per method, same order
  std::vector<DiagnosticInfo> diagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// ConditionType.ConditionRefresh(subscriptionId): the server re-sends every retained condition between a
// RefreshStartEvent and a RefreshEndEvent on that subscription.
CallRequest MakeConditionRefreshCall(const RequestHeader& header, uint32_t subscriptionId);

}  // namespace ua
