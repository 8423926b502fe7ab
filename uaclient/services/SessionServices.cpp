// Field-order encoding of the session messages.
#include "uaclient/services/SessionServices.h"

#include "uaclient/services/ServiceCodec.h"

namespace ua {

namespace {

constexpr size_t kMinSignedCertificateSize = 8;  // two null ByteStrings

}  // namespace

void SignatureData::Encode(Encoder& e) const {
  e.WriteString(algorithm);
  e.WriteByteString(signature);
}

bool SignatureData::Decode(Decoder& d) { return d.ReadString(algorithm) && d.ReadByteString(signature); }

void SignedSoftwareCertificate::Encode(Encoder& e) const {
  e.WriteByteString(certificateData);
  e.WriteByteString(signature);
}

bool SignedSoftwareCertificate::Decode(Decoder& d) {
  return d.ReadByteString(certificateData) && d.ReadByteString(signature);
}

void CreateSessionRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  clientDescription.Encode(e);
  e.WriteString(serverUri);
  e.WriteString(endpointUrl);
  e.WriteString(sessionName);
  e.WriteByteString(clientNonce);
  e.WriteByteString(clientCertificate);
  e.WriteDouble(requestedSessionTimeout);
  e.WriteUInt32(maxResponseMessageSize);
}

bool CreateSessionRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && clientDescription.Decode(d) && d.ReadString(serverUri) &&
         d.ReadString(endpointUrl) && d.ReadString(sessionName) && d.ReadByteString(clientNonce) &&
         d.ReadByteString(clientCertificate) && d.ReadDouble(requestedSessionTimeout) &&
         d.ReadUInt32(maxResponseMessageSize);
}

void CreateSessionResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  e.WriteNodeId(sessionId);
  e.WriteNodeId(authenticationToken);
  e.WriteDouble(revisedSessionTimeout);
  e.WriteByteString(serverNonce);
  e.WriteByteString(serverCertificate);
  WriteStructArray(e, serverEndpoints);
  WriteStructArray(e, serverSoftwareCertificates);
  serverSignature.Encode(e);
  e.WriteUInt32(maxRequestMessageSize);
}

bool CreateSessionResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && d.ReadNodeId(sessionId) && d.ReadNodeId(authenticationToken) &&
         d.ReadDouble(revisedSessionTimeout) && d.ReadByteString(serverNonce) &&
         d.ReadByteString(serverCertificate) && ReadStructArray(d, serverEndpoints, kMinEndpointDescriptionSize) &&
         ReadStructArray(d, serverSoftwareCertificates, kMinSignedCertificateSize) && serverSignature.Decode(d) &&
         d.ReadUInt32(maxRequestMessageSize);
}

void ActivateSessionRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  clientSignature.Encode(e);
  WriteStructArray(e, clientSoftwareCertificates);
  WriteStringArray(e, localeIds);
  e.WriteExtensionObject(userIdentityToken);
  userTokenSignature.Encode(e);
}

bool ActivateSessionRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && clientSignature.Decode(d) &&
         ReadStructArray(d, clientSoftwareCertificates, kMinSignedCertificateSize) && ReadStringArray(d, localeIds) &&
         d.ReadExtensionObject(userIdentityToken) && userTokenSignature.Decode(d);
}

ActivateSessionRequest MakeAnonymousActivateSession(const RequestHeader& header, const String& policyId,
                                                    std::vector<String> localeIds) {
  ActivateSessionRequest request;
  request.requestHeader = header;
  request.localeIds = std::move(localeIds);
  // A single String never fails to encode unless it is over the length limit, which a policy id never is.
  PackExtensionObject(AnonymousIdentityToken{policyId}, AnonymousIdentityToken::kEncodingId,
                      request.userIdentityToken);
  return request;
}

void ActivateSessionResponse::Encode(Encoder& e) const {
  responseHeader.Encode(e);
  e.WriteByteString(serverNonce);
  WriteStatusCodeArray(e, results);
  WriteDiagnosticInfoArray(e, diagnosticInfos);
}

bool ActivateSessionResponse::Decode(Decoder& d) {
  return responseHeader.Decode(d) && d.ReadByteString(serverNonce) && ReadStatusCodeArray(d, results) &&
         ReadDiagnosticInfoArray(d, diagnosticInfos);
}

void CloseSessionRequest::Encode(Encoder& e) const {
  requestHeader.Encode(e);
  e.WriteBoolean(deleteSubscriptions);
}

bool CloseSessionRequest::Decode(Decoder& d) {
  return requestHeader.Decode(d) && d.ReadBoolean(deleteSubscriptions);
}

}  // namespace ua
