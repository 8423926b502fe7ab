// CreateSession, ActivateSession and CloseSession messages, for an anonymous session over policy None.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/EndpointDescription.h"

namespace ua {

// Both fields stay null under policy None.
struct SignatureData {
  String algorithm;
  ByteString signature;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// Kept opaque: only a secured session would check them.
struct SignedSoftwareCertificate {
  ByteString certificateData;
  ByteString signature;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CreateSessionRequest {
  static constexpr uint32_t kEncodingId = ids::kCreateSessionRequest;
  RequestHeader requestHeader;
  ApplicationDescription clientDescription;
  String serverUri;
  String endpointUrl;
  String sessionName;
  ByteString clientNonce;
  ByteString clientCertificate;
  double requestedSessionTimeout = 0;  // milliseconds
  uint32_t maxResponseMessageSize = 0;  // 0 = no limit

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CreateSessionResponse {
  static constexpr uint32_t kEncodingId = ids::kCreateSessionResponse;
  ResponseHeader responseHeader;
  NodeId sessionId;
  NodeId authenticationToken;  // goes into every later RequestHeader
  double revisedSessionTimeout = 0;
  ByteString serverNonce;
  ByteString serverCertificate;
  std::vector<EndpointDescription> serverEndpoints;
  std::vector<SignedSoftwareCertificate> serverSoftwareCertificates;
  SignatureData serverSignature;
  uint32_t maxRequestMessageSize = 0;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// The body of the UserIdentityToken ExtensionObject for an anonymous user.
struct AnonymousIdentityToken {
  static constexpr uint32_t kEncodingId = ids::kAnonymousIdentityToken;
  String policyId;

  void Encode(Encoder& e) const { e.WriteString(policyId); }
  bool Decode(Decoder& d) { return d.ReadString(policyId); }
};

struct ActivateSessionRequest {
  static constexpr uint32_t kEncodingId = ids::kActivateSessionRequest;
  RequestHeader requestHeader;
  SignatureData clientSignature;
  std::vector<SignedSoftwareCertificate> clientSoftwareCertificates;
  std::vector<String> localeIds;
  ExtensionObject userIdentityToken;
  SignatureData userTokenSignature;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// An ActivateSession request for the anonymous user under `policyId` (from FindAnonymousNoneEndpoint).
ActivateSessionRequest MakeAnonymousActivateSession(const RequestHeader& header, const String& policyId,
                                                    std::vector<String> localeIds);

struct ActivateSessionResponse {
  static constexpr uint32_t kEncodingId = ids::kActivateSessionResponse;
  ResponseHeader responseHeader;
  ByteString serverNonce;
  std::vector<StatusCode> results;
  std::vector<DiagnosticInfo> diagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CloseSessionRequest {
  static constexpr uint32_t kEncodingId = ids::kCloseSessionRequest;
  RequestHeader requestHeader;
  bool deleteSubscriptions = true;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct CloseSessionResponse {
  static constexpr uint32_t kEncodingId = ids::kCloseSessionResponse;
  ResponseHeader responseHeader;

  void Encode(Encoder& e) const { responseHeader.Encode(e); }
  bool Decode(Decoder& d) { return responseHeader.Decode(d); }
};

}  // namespace ua
