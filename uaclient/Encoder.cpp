// UA Binary encoding of the primitive types, strings and the NodeId family.
#include "uaclient/Encoder.h"

#include <cstring>

#include "uaclient/WireFormat.h"

namespace ua {

namespace {

// Little-endian whatever the host byte order, so the same code serves x86 and anything else.
template <typename U>
void PutLittleEndian(std::vector<uint8_t>& out, U v) {
  for (size_t i = 0; i < sizeof(U); ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

void Encoder::WriteBoolean(bool v) { out_.push_back(v ? 1 : 0); }
void Encoder::WriteSByte(int8_t v) { out_.push_back(static_cast<uint8_t>(v)); }
void Encoder::WriteByte(uint8_t v) { out_.push_back(v); }
void Encoder::WriteInt16(int16_t v) { PutLittleEndian(out_, static_cast<uint16_t>(v)); }
void Encoder::WriteUInt16(uint16_t v) { PutLittleEndian(out_, v); }
void Encoder::WriteInt32(int32_t v) { PutLittleEndian(out_, static_cast<uint32_t>(v)); }
void Encoder::WriteUInt32(uint32_t v) { PutLittleEndian(out_, v); }
void Encoder::WriteInt64(int64_t v) { PutLittleEndian(out_, static_cast<uint64_t>(v)); }
void Encoder::WriteUInt64(uint64_t v) { PutLittleEndian(out_, v); }

void Encoder::WriteFloat(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteUInt32(bits);
}

void Encoder::WriteDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteUInt64(bits);
}

void Encoder::WriteLength(size_t length) {
  if (length > static_cast<size_t>(kMaxStringLength)) {
    Fail();
    WriteInt32(-1);
    return;
  }
  WriteInt32(static_cast<int32_t>(length));
}

void Encoder::WriteRaw(const uint8_t* data, size_t size) {
  if (size != 0) out_.insert(out_.end(), data, data + size);
}

void Encoder::WriteString(const String& v) {
  if (!v) return WriteInt32(-1);
  WriteLength(v->size());
  if (ok_) WriteRaw(reinterpret_cast<const uint8_t*>(v->data()), v->size());
}

void Encoder::WriteDateTime(const DateTime& v) { WriteInt64(v.ticks); }

void Encoder::WriteGuid(const Guid& v) {
  WriteUInt32(v.data1);
  WriteUInt16(v.data2);
  WriteUInt16(v.data3);
  WriteRaw(v.data4.data(), v.data4.size());
}

void Encoder::WriteByteString(const ByteString& v) {
  if (!v) return WriteInt32(-1);
  WriteLength(v->size());
  if (ok_) WriteRaw(v->data(), v->size());
}

void Encoder::WriteXmlElement(const XmlElement& v) { WriteByteString(v.bytes); }

void Encoder::WriteArrayLength(int32_t count) {
  if (count < -1 || count > kMaxArrayLength) Fail();
  WriteInt32(count);
}

namespace {

// The encoding byte for a NodeId without ExpandedNodeId flags, choosing the shortest numeric form.
uint8_t NodeIdForm(const NodeId& v) {
  switch (v.idType) {
    case IdType::Numeric:
      if (v.namespaceIndex == 0 && v.numeric <= 0xFF) return wire::kNodeIdTwoByte;
      if (v.namespaceIndex <= 0xFF && v.numeric <= 0xFFFF) return wire::kNodeIdFourByte;
      return wire::kNodeIdNumeric;
    case IdType::String: return wire::kNodeIdString;
    case IdType::Guid: return wire::kNodeIdGuid;
    case IdType::Opaque: return wire::kNodeIdByteString;
  }
  return wire::kNodeIdNumeric;
}

}  // namespace

void Encoder::WriteNodeId(const NodeId& v) {
  const uint8_t form = NodeIdForm(v);
  WriteByte(form);
  switch (form) {
    case wire::kNodeIdTwoByte:
      WriteByte(static_cast<uint8_t>(v.numeric));
      return;
    case wire::kNodeIdFourByte:
      WriteByte(static_cast<uint8_t>(v.namespaceIndex));
      WriteUInt16(static_cast<uint16_t>(v.numeric));
      return;
    default: break;
  }
  WriteUInt16(v.namespaceIndex);
  switch (v.idType) {
    case IdType::Numeric: return WriteUInt32(v.numeric);
    case IdType::String: return WriteString(v.text);
    case IdType::Guid: return WriteGuid(v.guid);
    case IdType::Opaque: return WriteByteString(v.opaque);
  }
}

void Encoder::WriteExpandedNodeId(const ExpandedNodeId& v) {
  const size_t flagsAt = out_.size();
  WriteNodeId(v.nodeId);
  if (!v.namespaceUri.empty()) {
    out_[flagsAt] |= wire::kNamespaceUriFlag;
    WriteString(v.namespaceUri);
  }
  if (v.serverIndex != 0) {
    out_[flagsAt] |= wire::kServerIndexFlag;
    WriteUInt32(v.serverIndex);
  }
}

void Encoder::WriteStatusCode(const StatusCode& v) { WriteUInt32(v.code); }

void Encoder::WriteQualifiedName(const QualifiedName& v) {
  WriteUInt16(v.namespaceIndex);
  WriteString(v.name);
}

void Encoder::WriteLocalizedText(const LocalizedText& v) {
  uint8_t mask = 0;
  if (v.locale) mask |= wire::kTextHasLocale;
  if (v.text) mask |= wire::kTextHasText;
  WriteByte(mask);
  if (v.locale) WriteString(v.locale);
  if (v.text) WriteString(v.text);
}

void Encoder::PatchUInt32(size_t offset, uint32_t v) {
  if (offset > out_.size() || out_.size() - offset < 4) return Fail();
  for (size_t i = 0; i < 4; ++i) out_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace ua
