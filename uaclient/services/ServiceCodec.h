// Framing of a service message body (encoding id + fields) and the array and ExtensionObject helpers the
// message structures share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"
#include "uaclient/services/ServiceHeaders.h"

namespace ua {

// Enumerations travel as Int32; values we do not name are kept as they are.
template <typename Enum>
void WriteEnum(Encoder& e, Enum v) {
  e.WriteInt32(static_cast<int32_t>(v));
}

template <typename Enum>
bool ReadEnum(Decoder& d, Enum& v) {
  int32_t raw = 0;
  if (!d.ReadInt32(raw)) return false;
  v = static_cast<Enum>(raw);
  return true;
}

// Arrays of built-in types. A null array on the wire decodes as an empty vector; empty vectors encode as
// length 0.
void WriteStringArray(Encoder& e, const std::vector<String>& items);
bool ReadStringArray(Decoder& d, std::vector<String>& items);
void WriteUInt32Array(Encoder& e, const std::vector<uint32_t>& items);
bool ReadUInt32Array(Decoder& d, std::vector<uint32_t>& items);
void WriteStatusCodeArray(Encoder& e, const std::vector<StatusCode>& items);
bool ReadStatusCodeArray(Decoder& d, std::vector<StatusCode>& items);
void WriteDiagnosticInfoArray(Encoder& e, const std::vector<DiagnosticInfo>& items);
bool ReadDiagnosticInfoArray(Decoder& d, std::vector<DiagnosticInfo>& items);
void WriteVariantArray(Encoder& e, const std::vector<Variant>& items);
bool ReadVariantArray(Decoder& d, std::vector<Variant>& items);
void WriteExtensionObjectArray(Encoder& e, const std::vector<ExtensionObject>& items);
bool ReadExtensionObjectArray(Decoder& d, std::vector<ExtensionObject>& items);

// Arrays of service structures, through their own Encode / Decode. `minSize` is the smallest encoding of
// one element, which bounds the count against the bytes left.
template <typename T>
void WriteStructArray(Encoder& e, const std::vector<T>& items) {
  e.WriteArray(items, [&e](const T& item) { item.Encode(e); });
}

template <typename T>
bool ReadStructArray(Decoder& d, std::vector<T>& items, size_t minSize) {
  return d.ReadArray(items, minSize, [&d](T& item) { return item.Decode(d); });
}

// Wraps a structure into a binary-bodied ExtensionObject carrying `typeId`. False if the body failed to
// encode (the ExtensionObject is then left unchanged).
template <typename T>
bool PackExtensionObject(const T& value, uint32_t typeId, ExtensionObject& out) {
  std::vector<uint8_t> body;
  Encoder e(body);
  value.Encode(e);
  if (!e.ok()) return false;
  out.typeId = NodeId::Numeric(0, typeId);
  out.encoding = BodyEncoding::Binary;
  out.body = std::move(body);
  return true;
}

// Decodes a binary ExtensionObject body as T; the body must be exactly one T.
template <typename T>
DecodeError UnpackExtensionObject(const ExtensionObject& object, T& out) {
  if (object.encoding != BodyEncoding::Binary) return DecodeError::BadEncoding;
  Decoder d(object.body);
  if (!out.Decode(d)) return d.ok() ? DecodeError::BadEncoding : d.error();
  return d.AtEnd() ? DecodeError::None : DecodeError::BadEncoding;
}

// True when `object` is a binary ExtensionObject with the given ns=0 numeric encoding id.
bool HasTypeId(const ExtensionObject& object, uint32_t typeId);

enum class MessageError {
  None,
  Malformed,       // truncated, over a limit, badly encoded, or bytes left after the body
  ServiceFault,    // the server answered with a ServiceFault; see serviceResult
  UnexpectedType,  // a well-formed id, but not the message expected; see receivedTypeId
};

const char* ToString(MessageError error);

struct MessageStatus {
  MessageError error = MessageError::None;
  DecodeError decodeError = DecodeError::None;  // why, when Malformed
  uint32_t receivedTypeId = 0;                  // the encoding id found in front of the body
  StatusCode serviceResult;                     // from the fault's header, when ServiceFault
  uint32_t requestHandle = 0;                   // from the fault's header, when ServiceFault

  bool ok() const { return error == MessageError::None; }
};

// The encoding id in front of a message body, for a receiver that dispatches on it.
MessageStatus PeekTypeId(const uint8_t* data, size_t size);

namespace detail {
MessageStatus ReadTypeId(Decoder& d, uint32_t expected, bool faultAllowed);
MessageStatus FinishBody(const Decoder& d, bool bodyOk, uint32_t typeId);
}  // namespace detail

// Appends the message's encoding id then its fields. On failure returns false and leaves `out` unchanged.
template <typename Message>
bool EncodeMessage(const Message& message, std::vector<uint8_t>& out) {
  std::vector<uint8_t> bytes;
  Encoder e(bytes);
  e.WriteNodeIdOfType(Message::kEncodingId);
  message.Encode(e);
  if (!e.ok()) return false;
  out.insert(out.end(), bytes.begin(), bytes.end());
  return true;
}

template <typename Request>
bool EncodeRequest(const Request& request, std::vector<uint8_t>& out) {
  return EncodeMessage(request, out);
}

// Reads exactly one message of type Message from the whole of [data, data + size). With faultAllowed a
// ServiceFault is decoded and reported as such instead of as an unexpected type.
template <typename Message>
MessageStatus DecodeMessage(const uint8_t* data, size_t size, Message& message, bool faultAllowed = false) {
  try {
    Decoder d(data, size);
    MessageStatus status = detail::ReadTypeId(d, Message::kEncodingId, faultAllowed);
    if (!status.ok()) return status;
    const bool bodyOk = message.Decode(d);
    return detail::FinishBody(d, bodyOk, Message::kEncodingId);
  } catch (...) {
    // Decoder reads never throw; this only catches allocation failure while moving decoded parts around.
    MessageStatus status;
    status.error = MessageError::Malformed;
    status.decodeError = DecodeError::OutOfMemory;
    return status;
  }
}

template <typename Response>
MessageStatus DecodeResponse(const uint8_t* data, size_t size, Response& response) {
  return DecodeMessage(data, size, response, true);
}

template <typename Response>
MessageStatus DecodeResponse(const std::vector<uint8_t>& bytes, Response& response) {
  return DecodeResponse(bytes.data(), bytes.size(), response);
}

}  // namespace ua
