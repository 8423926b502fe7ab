// Array helpers and the type-id check in front of every service message body.
#include "uaclient/services/ServiceCodec.h"

#include "uaclient/WireFormat.h"

namespace ua {

namespace {

constexpr size_t MinSize(BuiltinType type) { return wire::kMinEncodedSize[static_cast<size_t>(type)]; }

}  // namespace

void WriteStringArray(Encoder& e, const std::vector<String>& items) {
  e.WriteArray(items, [&e](const String& s) { e.WriteString(s); });
}
bool ReadStringArray(Decoder& d, std::vector<String>& items) {
  return d.ReadArray(items, MinSize(BuiltinType::String), [&d](String& s) { return d.ReadString(s); });
}

void WriteUInt32Array(Encoder& e, const std::vector<uint32_t>& items) {
  e.WriteArray(items, [&e](uint32_t v) { e.WriteUInt32(v); });
}
bool ReadUInt32Array(Decoder& d, std::vector<uint32_t>& items) {
  return d.ReadArray(items, MinSize(BuiltinType::UInt32), [&d](uint32_t& v) { return d.ReadUInt32(v); });
}

void WriteStatusCodeArray(Encoder& e, const std::vector<StatusCode>& items) {
  e.WriteArray(items, [&e](const StatusCode& v) { e.WriteStatusCode(v); });
}
bool ReadStatusCodeArray(Decoder& d, std::vector<StatusCode>& items) {
  return d.ReadArray(items, MinSize(BuiltinType::StatusCode), [&d](StatusCode& v) { return d.ReadStatusCode(v); });
}

void WriteDiagnosticInfoArray(Encoder& e, const std::vector<DiagnosticInfo>& items) {
  e.WriteArray(items, [&e](const DiagnosticInfo& v) { e.WriteDiagnosticInfo(v); });
}
bool ReadDiagnosticInfoArray(Decoder& d, std::vector<DiagnosticInfo>& items) {
  return d.ReadArray(items, MinSize(BuiltinType::DiagnosticInfo),
                     [&d](DiagnosticInfo& v) { return d.ReadDiagnosticInfo(v); });
}

void WriteVariantArray(Encoder& e, const std::vector<Variant>& items) {
  e.WriteArray(items, [&e](const Variant& v) { e.WriteVariant(v); });
}
bool ReadVariantArray(Decoder& d, std::vector<Variant>& items) {
  return d.ReadArray(items, MinSize(BuiltinType::Variant), [&d](Variant& v) { return d.ReadVariant(v); });
}

void WriteExtensionObjectArray(Encoder& e, const std::vector<ExtensionObject>& items) {
  e.WriteArray(items, [&e](const ExtensionObject& v) { e.WriteExtensionObject(v); });
}
bool ReadExtensionObjectArray(Decoder& d, std::vector<ExtensionObject>& items) {
  return d.ReadArray(items, MinSize(BuiltinType::ExtensionObject),
                     [&d](ExtensionObject& v) { return d.ReadExtensionObject(v); });
}

bool HasTypeId(const ExtensionObject& object, uint32_t typeId) {
  return object.encoding == BodyEncoding::Binary && object.typeId == NodeId::Numeric(0, typeId);
}

const char* ToString(MessageError error) {
  switch (error) {
    case MessageError::None: return "none";
    case MessageError::Malformed: return "malformed message";
    case MessageError::ServiceFault: return "service fault";
    case MessageError::UnexpectedType: return "unexpected message type";
  }
  return "unknown";
}

namespace {

MessageStatus Malformed(const Decoder& d, uint32_t typeId) {
  MessageStatus status;
  status.error = MessageError::Malformed;
  status.decodeError = d.ok() ? DecodeError::BadEncoding : d.error();
  status.receivedTypeId = typeId;
  return status;
}

}  // namespace

MessageStatus PeekTypeId(const uint8_t* data, size_t size) {
  Decoder d(data, size);
  MessageStatus status;
  if (!d.ReadNodeIdOfType(status.receivedTypeId)) return Malformed(d, 0);
  return status;
}

namespace detail {

MessageStatus ReadTypeId(Decoder& d, uint32_t expected, bool faultAllowed) {
  uint32_t typeId = 0;
  if (!d.ReadNodeIdOfType(typeId)) return Malformed(d, 0);
  MessageStatus status;
  status.receivedTypeId = typeId;
  if (typeId == expected) return status;
  if (typeId != ids::kServiceFault || !faultAllowed) {
    status.error = MessageError::UnexpectedType;
    return status;
  }
  ServiceFault fault;
  const bool bodyOk = fault.Decode(d);
  status = FinishBody(d, bodyOk, typeId);
  if (!status.ok()) return status;
  status.error = MessageError::ServiceFault;
  status.serviceResult = fault.responseHeader.serviceResult;
  status.requestHandle = fault.responseHeader.requestHandle;
  return status;
}

MessageStatus FinishBody(const Decoder& d, bool bodyOk, uint32_t typeId) {
  // Policy None carries the body exactly, so spare bytes mean we and the peer disagree on the layout.
  if (!bodyOk || !d.AtEnd()) return Malformed(d, typeId);
  MessageStatus status;
  status.receivedTypeId = typeId;
  return status;
}

}  // namespace detail
}  // namespace ua
