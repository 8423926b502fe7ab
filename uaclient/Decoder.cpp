// UA Binary decoding of the primitive types, strings and the NodeId family.
#include "uaclient/Decoder.h"

#include <cstring>

#include "uaclient/WireFormat.h"

namespace ua {

const char* ToString(DecodeError error) {
  switch (error) {
    case DecodeError::None: return "none";
    case DecodeError::Truncated: return "truncated";
    case DecodeError::TooLong: return "too long";
    case DecodeError::TooDeep: return "nested too deeply";
    case DecodeError::BadEncoding: return "bad encoding";
    case DecodeError::OutOfMemory: return "out of memory";
  }
  return "unknown";
}

bool Decoder::Fail(DecodeError reason) {
  if (error_ == DecodeError::None) error_ = reason;
  return false;
}

bool Decoder::ReadRaw(uint8_t* out, size_t size) {
  if (!ok()) return false;
  if (size > remaining()) return Fail(DecodeError::Truncated);
  if (size != 0) std::memcpy(out, data_ + pos_, size);
  pos_ += size;
  return true;
}

bool Decoder::Skip(size_t size) {
  if (!ok()) return false;
  if (size > remaining()) return Fail(DecodeError::Truncated);
  pos_ += size;
  return true;
}

namespace {

template <typename U>
U FromLittleEndian(const uint8_t* bytes) {
  U v = 0;
  for (size_t i = 0; i < sizeof(U); ++i) v |= static_cast<U>(static_cast<U>(bytes[i]) << (8 * i));
  return v;
}

}  // namespace

// Reads into an unsigned of the same width, then converts; the conversion of out-of-range values to the
// signed type is two's complement in C++17 on every compiler we build with.
#define UA_READ_FIXED(Name, T, U)                     \
  bool Decoder::Name(T& v) {                          \
    uint8_t bytes[sizeof(U)];                         \
    if (!ReadRaw(bytes, sizeof bytes)) return false;  \
    v = static_cast<T>(FromLittleEndian<U>(bytes));   \
    return true;                                      \
  }

UA_READ_FIXED(ReadSByte, int8_t, uint8_t)
UA_READ_FIXED(ReadByte, uint8_t, uint8_t)
UA_READ_FIXED(ReadInt16, int16_t, uint16_t)
UA_READ_FIXED(ReadUInt16, uint16_t, uint16_t)
UA_READ_FIXED(ReadInt32, int32_t, uint32_t)
UA_READ_FIXED(ReadUInt32, uint32_t, uint32_t)
UA_READ_FIXED(ReadInt64, int64_t, uint64_t)
UA_READ_FIXED(ReadUInt64, uint64_t, uint64_t)
#undef UA_READ_FIXED

bool Decoder::ReadBoolean(bool& v) {
  uint8_t b = 0;
  if (!ReadByte(b)) return false;
  v = b != 0;  // any non-zero byte means true
  return true;
}

bool Decoder::ReadFloat(float& v) {
  uint32_t bits = 0;
  if (!ReadUInt32(bits)) return false;
  std::memcpy(&v, &bits, sizeof v);
  return true;
}

bool Decoder::ReadDouble(double& v) {
  uint64_t bits = 0;
  if (!ReadUInt64(bits)) return false;
  std::memcpy(&v, &bits, sizeof v);
  return true;
}

bool Decoder::ReadLength(int32_t& length, int32_t limit) {
  if (!ReadInt32(length)) return false;
  if (length < -1) return Fail(DecodeError::BadEncoding);
  if (length > limit) return Fail(DecodeError::TooLong);
  if (length > 0 && static_cast<size_t>(length) > remaining()) return Fail(DecodeError::Truncated);
  return true;
}

bool Decoder::ReadBytes(std::vector<uint8_t>& out, size_t size) {
  try {
    out.resize(size);
  } catch (const std::exception&) {
    return Fail(DecodeError::OutOfMemory);
  }
  return ReadRaw(out.data(), size);
}

bool Decoder::ReadString(String& v) {
  int32_t length = 0;
  if (!ReadLength(length, kMaxStringLength)) return false;
  if (length < 0) {
    v.reset();
    return true;
  }
  try {
    v.emplace(reinterpret_cast<const char*>(data_ + pos_), static_cast<size_t>(length));
  } catch (const std::exception&) {
    return Fail(DecodeError::OutOfMemory);
  }
  pos_ += static_cast<size_t>(length);
  return true;
}

bool Decoder::ReadByteString(ByteString& v) {
  int32_t length = 0;
  if (!ReadLength(length, kMaxStringLength)) return false;
  if (length < 0) {
    v.reset();
    return true;
  }
  v.emplace();
  return ReadBytes(*v, static_cast<size_t>(length));
}

bool Decoder::ReadXmlElement(XmlElement& v) { return ReadByteString(v.bytes); }

bool Decoder::ReadDateTime(DateTime& v) { return ReadInt64(v.ticks); }

bool Decoder::ReadGuid(Guid& v) {
  return ReadUInt32(v.data1) && ReadUInt16(v.data2) && ReadUInt16(v.data3) && ReadRaw(v.data4.data(), 8);
}

bool Decoder::ReadStatusCode(StatusCode& v) { return ReadUInt32(v.code); }

bool Decoder::ReadArrayLength(int32_t& count, size_t minElementSize) {
  if (!ReadInt32(count)) return false;
  if (count < -1) return Fail(DecodeError::BadEncoding);
  if (count > kMaxArrayLength) return Fail(DecodeError::TooLong);
  const size_t perElement = minElementSize == 0 ? 1 : minElementSize;
  if (count > 0 && static_cast<size_t>(count) > remaining() / perElement) return Fail(DecodeError::Truncated);
  return true;
}

bool Decoder::ReadNodeIdBody(uint8_t form, NodeId& v) {
  v = NodeId();
  switch (form) {
    case wire::kNodeIdTwoByte: {
      uint8_t id = 0;
      if (!ReadByte(id)) return false;
      v.numeric = id;
      return true;
    }
    case wire::kNodeIdFourByte: {
      uint8_t ns = 0;
      uint16_t id = 0;
      if (!ReadByte(ns) || !ReadUInt16(id)) return false;
      v.namespaceIndex = ns;
      v.numeric = id;
      return true;
    }
    default: break;
  }
  if (!ReadUInt16(v.namespaceIndex)) return false;
  switch (form) {
    case wire::kNodeIdNumeric: return ReadUInt32(v.numeric);
    case wire::kNodeIdString: {
      String text;
      v.idType = IdType::String;
      if (!ReadString(text)) return false;
      if (text) v.text = std::move(*text);  // a null identifier is taken as empty
      return true;
    }
    case wire::kNodeIdGuid: v.idType = IdType::Guid; return ReadGuid(v.guid);
    case wire::kNodeIdByteString: {
      ByteString bytes;
      v.idType = IdType::Opaque;
      if (!ReadByteString(bytes)) return false;
      if (bytes) v.opaque = std::move(*bytes);
      return true;
    }
    default: return Fail(DecodeError::BadEncoding);
  }
}

bool Decoder::ReadNodeId(NodeId& v) {
  uint8_t form = 0;
  if (!ReadByte(form)) return false;
  // The ExpandedNodeId flags are not allowed on a plain NodeId.
  if (form & ~wire::kNodeIdFormMask) return Fail(DecodeError::BadEncoding);
  return ReadNodeIdBody(form, v);
}

bool Decoder::ReadExpandedNodeId(ExpandedNodeId& v) {
  uint8_t form = 0;
  if (!ReadByte(form) || !ReadNodeIdBody(form & wire::kNodeIdFormMask, v.nodeId)) return false;
  v.namespaceUri.clear();
  v.serverIndex = 0;
  if (form & wire::kNamespaceUriFlag) {
    String uri;
    if (!ReadString(uri)) return false;
    if (uri) v.namespaceUri = std::move(*uri);
  }
  if (form & wire::kServerIndexFlag) return ReadUInt32(v.serverIndex);
  return true;
}

bool Decoder::ReadNodeIdOfType(uint32_t& numericId) {
  NodeId id;
  if (!ReadNodeId(id)) return false;
  if (id.namespaceIndex != 0 || id.idType != IdType::Numeric) return Fail(DecodeError::BadEncoding);
  numericId = id.numeric;
  return true;
}

bool Decoder::ReadQualifiedName(QualifiedName& v) {
  return ReadUInt16(v.namespaceIndex) && ReadString(v.name);
}

bool Decoder::ReadLocalizedText(LocalizedText& v) {
  uint8_t mask = 0;
  if (!ReadByte(mask)) return false;
  if (mask & ~(wire::kTextHasLocale | wire::kTextHasText)) return Fail(DecodeError::BadEncoding);
  v.locale.reset();
  v.text.reset();
  if ((mask & wire::kTextHasLocale) && !ReadString(v.locale)) return false;
  if ((mask & wire::kTextHasText) && !ReadString(v.text)) return false;
  return true;
}

}  // namespace ua
