// Encoding of RequestHeader and ResponseHeader in field order.
#include "uaclient/services/ServiceHeaders.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

void RequestHeader::Encode(Encoder& e) const {
  e.WriteNodeId(authenticationToken);
  e.WriteDateTime(timestamp);
  e.WriteUInt32(requestHandle);
  e.WriteUInt32(returnDiagnostics);
  e.WriteString(auditEntryId);
  e.WriteUInt32(timeoutHint);
  e.WriteExtensionObject(additionalHeader);
}

bool RequestHeader::Decode(Decoder& d) {
  return d.ReadNodeId(authenticationToken) && d.ReadDateTime(timestamp) && d.ReadUInt32(requestHandle) &&
         d.ReadUInt32(returnDiagnostics) && d.ReadString(auditEntryId) && d.ReadUInt32(timeoutHint) &&
         d.ReadExtensionObject(additionalHeader);
}

void ResponseHeader::Encode(Encoder& e) const {
  e.WriteDateTime(timestamp);
  e.WriteUInt32(requestHandle);
  e.WriteStatusCode(serviceResult);
  e.WriteDiagnosticInfo(serviceDiagnostics);
  WriteStringArray(e, stringTable);
  e.WriteExtensionObject(additionalHeader);
}

bool ResponseHeader::Decode(Decoder& d) {
  return d.ReadDateTime(timestamp) && d.ReadUInt32(requestHandle) && d.ReadStatusCode(serviceResult) &&
         d.ReadDiagnosticInfo(serviceDiagnostics) && ReadStringArray(d, stringTable) &&
         d.ReadExtensionObject(additionalHeader);
}

}  // namespace ua
