// The header every request and response starts with, and ServiceFault, the reply to a failed request.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"
#include "uaclient/services/EncodingIds.h"

namespace ua {

struct RequestHeader {
  NodeId authenticationToken;  // null until CreateSession has returned one
  DateTime timestamp;
  uint32_t requestHandle = 0;
  uint32_t returnDiagnostics = 0;  // bit mask; 0 asks for none
  String auditEntryId;
  uint32_t timeoutHint = 0;  // milliseconds; 0 = no timeout
  ExtensionObject additionalHeader;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct ResponseHeader {
  DateTime timestamp;
  uint32_t requestHandle = 0;
  StatusCode serviceResult;
  DiagnosticInfo serviceDiagnostics;
  std::vector<String> stringTable;
  ExtensionObject additionalHeader;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct ServiceFault {
  static constexpr uint32_t kEncodingId = ids::kServiceFault;
  ResponseHeader responseHeader;

  void Encode(Encoder& e) const { responseHeader.Encode(e); }
  bool Decode(Decoder& d) { return responseHeader.Decode(d); }
};

}  // namespace ua
