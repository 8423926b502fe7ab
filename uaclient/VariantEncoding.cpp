// UA Binary encoding of the self-describing types: ExtensionObject, Variant, DataValue, DiagnosticInfo.
#include <type_traits>

#include "uaclient/Encoder.h"
#include "uaclient/WireFormat.h"

namespace ua {

namespace {

// One overload per element type so a Variant's elements can be written by a single generic loop.
void Put(Encoder& e, bool v) { e.WriteBoolean(v); }
void Put(Encoder& e, int8_t v) { e.WriteSByte(v); }
void Put(Encoder& e, uint8_t v) { e.WriteByte(v); }
void Put(Encoder& e, int16_t v) { e.WriteInt16(v); }
void Put(Encoder& e, uint16_t v) { e.WriteUInt16(v); }
void Put(Encoder& e, int32_t v) { e.WriteInt32(v); }
void Put(Encoder& e, uint32_t v) { e.WriteUInt32(v); }
void Put(Encoder& e, int64_t v) { e.WriteInt64(v); }
void Put(Encoder& e, uint64_t v) { e.WriteUInt64(v); }
void Put(Encoder& e, float v) { e.WriteFloat(v); }
void Put(Encoder& e, double v) { e.WriteDouble(v); }
void Put(Encoder& e, const String& v) { e.WriteString(v); }
void Put(Encoder& e, const DateTime& v) { e.WriteDateTime(v); }
void Put(Encoder& e, const Guid& v) { e.WriteGuid(v); }
void Put(Encoder& e, const ByteString& v) { e.WriteByteString(v); }
void Put(Encoder& e, const XmlElement& v) { e.WriteXmlElement(v); }
void Put(Encoder& e, const NodeId& v) { e.WriteNodeId(v); }
void Put(Encoder& e, const ExpandedNodeId& v) { e.WriteExpandedNodeId(v); }
void Put(Encoder& e, const StatusCode& v) { e.WriteStatusCode(v); }
void Put(Encoder& e, const QualifiedName& v) { e.WriteQualifiedName(v); }
void Put(Encoder& e, const LocalizedText& v) { e.WriteLocalizedText(v); }
void Put(Encoder& e, const ExtensionObject& v) { e.WriteExtensionObject(v); }
void Put(Encoder& e, const DataValue& v) { e.WriteDataValue(v); }
void Put(Encoder& e, const Variant& v) { e.WriteVariant(v); }
void Put(Encoder& e, const DiagnosticInfo& v) { e.WriteDiagnosticInfo(v); }

// Mirrors what the decoder accepts, so we never send something we would refuse ourselves.
bool IsWellFormed(const Variant& v) {
  const size_t count = v.ElementCount();
  if (v.IsEmpty()) return !v.isArray && !v.nullArray && !v.dimensions;
  if (!v.isArray) return count == 1 && !v.nullArray && !v.dimensions && v.type() != BuiltinType::Variant;
  if (count > static_cast<size_t>(kMaxArrayLength)) return false;
  if (v.nullArray) return count == 0 && !v.dimensions;
  return !v.dimensions || wire::DimensionsFit(*v.dimensions, count);
}

}  // namespace

void Encoder::WriteExtensionObject(const ExtensionObject& v) {
  if (++depth_ > kMaxNestingDepth) Fail();
  WriteNodeId(v.typeId);
  WriteByte(static_cast<uint8_t>(v.encoding));
  if (v.encoding == BodyEncoding::None) {
    if (!v.body.empty()) Fail();
  } else {
    WriteLength(v.body.size());
    if (ok_) WriteRaw(v.body.data(), v.body.size());
  }
  --depth_;
}

void Encoder::WriteVariant(const Variant& v) {
  if (++depth_ > kMaxNestingDepth || !IsWellFormed(v)) Fail();
  if (ok_) WriteVariantBody(v);
  --depth_;
}

void Encoder::WriteVariantBody(const Variant& v) {
  uint8_t mask = static_cast<uint8_t>(v.values.index());
  if (v.isArray) mask |= wire::kVariantArray;
  if (v.dimensions) mask |= wire::kVariantDimensions;
  WriteByte(mask);
  if (v.IsEmpty()) return;
  if (v.isArray) WriteArrayLength(v.nullArray ? -1 : static_cast<int32_t>(v.ElementCount()));
  std::visit(
      [this](const auto& items) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(items)>, std::monostate>) {
          for (const auto& item : items) Put(*this, item);
        }
      },
      v.values);
  if (v.dimensions) WriteArray(*v.dimensions, [this](int32_t d) { WriteInt32(d); });
}

void Encoder::WriteDataValue(const DataValue& v) {
  if (++depth_ > kMaxNestingDepth) Fail();
  uint8_t mask = 0;
  if (v.value) mask |= wire::kValueHasValue;
  if (v.status) mask |= wire::kValueHasStatus;
  if (v.sourceTimestamp) mask |= wire::kValueHasSourceTime;
  if (v.serverTimestamp) mask |= wire::kValueHasServerTime;
  if (v.sourcePicoseconds) mask |= wire::kValueHasSourcePico;
  if (v.serverPicoseconds) mask |= wire::kValueHasServerPico;
  WriteByte(mask);
  // Field order differs from mask bit order: each picoseconds field follows its own timestamp.
  if (v.value) WriteVariant(*v.value);
  if (v.status) WriteStatusCode(*v.status);
  if (v.sourceTimestamp) WriteDateTime(*v.sourceTimestamp);
  if (v.sourcePicoseconds) WriteUInt16(*v.sourcePicoseconds);
  if (v.serverTimestamp) WriteDateTime(*v.serverTimestamp);
  if (v.serverPicoseconds) WriteUInt16(*v.serverPicoseconds);
  --depth_;
}

void Encoder::WriteDiagnosticInfo(const DiagnosticInfo& v) {
  // The bytes were validated when decoded; a default-constructed value is the all-absent mask.
  if (v.encoded.empty()) return WriteByte(0);
  WriteRaw(v.encoded.data(), v.encoded.size());
}

}  // namespace ua
