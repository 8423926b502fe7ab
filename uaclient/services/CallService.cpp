// Field-order encoding of the Call messages.
#include "uaclient/services/CallService.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

namespace {

constexpr size_t kMinCallMethodRequestSize = 8;  // two two-byte NodeIds + empty arguments
constexpr size_t kMinCallMethodResultSize = 16;  // status + three empty arrays

}  // namespace

void CallMethodRequest::Encode(Encoder& e) const {
  e.WriteNodeId(objectId);
  e.WriteNodeId(methodId);
  WriteVariantArray(e, inputArguments);
}

bool CallMethodRequest::Decode(Decoder& d) {
  return d.ReadNodeId(objectId) && d.ReadNodeId(methodId) && ReadVariantArray(d, inputArguments);
}

void CallMethodResult::Encode(Encoder& e) const {
  e.WriteStatusCode(statusCode);
  WriteStatusCodeArray(e, inputArgumentResults);
  WriteDiagnosticInfoArray(e, inputArgumentDiagnosticInfos);
  WriteVariantArray(e, outputArguments);
}

bool CallMethodResult::Decode(Decoder& d) {
  return d.ReadStatusCode(statusCode) && ReadStatusCodeArray(d, inputArgumentResults) &&
         ReadDiagnosticInfoArray(d, inputArgumentDiagnosticInfos) && ReadVariantArray(d, outputArguments);
}

void CallRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  WriteStructArray(e, methodsToCall);
}

bool CallRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && ReadStructArray(d, methodsToCall, kMinCallMethodRequestSize);
}

void CallResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  WriteStructArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool CallResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && ReadStructArray(d, results, kMinCallMethodResultSize) &&
         ReadDiagnosticInfoArray(d, diagnosticInfos);
}

CallRequest MakeConditionRefreshCall(const RequestHeader& header, uint32_t subscriptionId) {
  CallRequest request;
  request.requestHeader = header;
  CallMethodRequest method;
  method.objectId = NodeId::Numeric(0, ids::kConditionType);
  method.methodId = NodeId::Numeric(0, ids::kConditionRefreshMethod);
  method.inputArguments.push_back(Variant::Scalar(subscriptionId));
  request.methodsToCall.push_back(std::move(method));
  return request;
}

}  // namespace ua
