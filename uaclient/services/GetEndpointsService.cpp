// Field-order encoding of the GetEndpoints messages.
#include "uaclient/services/GetEndpointsService.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

void GetEndpointsRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  e.WriteString(endpointUrl);
  WriteStringArray(e, localeIds);
  WriteStringArray(e, profileUris);
}

bool GetEndpointsRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && d.ReadString(endpointUrl) && ReadStringArray(d, localeIds) &&
         ReadStringArray(d, profileUris);
}

void GetEndpointsResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  WriteStructArray(e, endpoints);
}

bool GetEndpointsResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && ReadStructArray(d, endpoints, kMinEndpointDescriptionSize);
}

}  // namespace ua
