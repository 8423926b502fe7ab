// UA Binary decoding of the self-describing types: ExtensionObject, Variant, DataValue, DiagnosticInfo.
#include <array>
#include <utility>

#include "uaclient/Decoder.h"
#include "uaclient/WireFormat.h"

namespace ua {

// Counts one level of Variant/DataValue/ExtensionObject/DiagnosticInfo nesting for as long as it lives.
class Decoder::DepthGuard {
 public:
  explicit DepthGuard(Decoder& d) : d_(d) {
    if (++d_.depth_ > kMaxNestingDepth) d_.Fail(DecodeError::TooDeep);
  }
  ~DepthGuard() { --d_.depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  Decoder& d_;
};

namespace {

bool Take(Decoder& d, bool& v) { return d.ReadBoolean(v); }
bool Take(Decoder& d, int8_t& v) { return d.ReadSByte(v); }
bool Take(Decoder& d, uint8_t& v) { return d.ReadByte(v); }
bool Take(Decoder& d, int16_t& v) { return d.ReadInt16(v); }
bool Take(Decoder& d, uint16_t& v) { return d.ReadUInt16(v); }
bool Take(Decoder& d, int32_t& v) { return d.ReadInt32(v); }
bool Take(Decoder& d, uint32_t& v) { return d.ReadUInt32(v); }
bool Take(Decoder& d, int64_t& v) { return d.ReadInt64(v); }
bool Take(Decoder& d, uint64_t& v) { return d.ReadUInt64(v); }
bool Take(Decoder& d, float& v) { return d.ReadFloat(v); }
bool Take(Decoder& d, double& v) { return d.ReadDouble(v); }
bool Take(Decoder& d, String& v) { return d.ReadString(v); }
bool Take(Decoder& d, DateTime& v) { return d.ReadDateTime(v); }
bool Take(Decoder& d, Guid& v) { return d.ReadGuid(v); }
bool Take(Decoder& d, ByteString& v) { return d.ReadByteString(v); }
bool Take(Decoder& d, XmlElement& v) { return d.ReadXmlElement(v); }
bool Take(Decoder& d, NodeId& v) { return d.ReadNodeId(v); }
bool Take(Decoder& d, ExpandedNodeId& v) { return d.ReadExpandedNodeId(v); }
bool Take(Decoder& d, StatusCode& v) { return d.ReadStatusCode(v); }
bool Take(Decoder& d, QualifiedName& v) { return d.ReadQualifiedName(v); }
bool Take(Decoder& d, LocalizedText& v) { return d.ReadLocalizedText(v); }
bool Take(Decoder& d, ExtensionObject& v) { return d.ReadExtensionObject(v); }
bool Take(Decoder& d, DataValue& v) { return d.ReadDataValue(v); }
bool Take(Decoder& d, Variant& v) { return d.ReadVariant(v); }
bool Take(Decoder& d, DiagnosticInfo& v) { return d.ReadDiagnosticInfo(v); }

// Readers for the element type whose id is I, storing straight into the matching storage alternative.
template <size_t I>
bool ReadArrayOf(Decoder& d, Variant& v, bool& isNull) {
  using Element = typename std::variant_alternative_t<I, VariantValues>::value_type;
  std::vector<Element> items;
  if (!d.ReadArray(items, wire::kMinEncodedSize[I], [&d](Element& e) { return Take(d, e); }, &isNull)) {
    return false;
  }
  v.values.template emplace<I>(std::move(items));
  return true;
}

template <size_t I>
bool ReadScalarOf(Decoder& d, Variant& v) {
  using Element = typename std::variant_alternative_t<I, VariantValues>::value_type;
  Element e{};
  if (!Take(d, e)) return false;
  try {
    std::vector<Element> items;
    items.push_back(std::move(e));
    v.values.template emplace<I>(std::move(items));
  } catch (const std::exception&) {
    return d.Fail(DecodeError::OutOfMemory);
  }
  return true;
}

struct ElementReaders {
  bool (*array)(Decoder&, Variant&, bool&);
  bool (*scalar)(Decoder&, Variant&);
};

// Entry n serves type id n + 1; Null has no elements to read.
template <size_t... I>
constexpr std::array<ElementReaders, sizeof...(I)> MakeReaders(std::index_sequence<I...>) {
  return {{{&ReadArrayOf<I + 1>, &ReadScalarOf<I + 1>}...}};
}

constexpr auto kReaders = MakeReaders(std::make_index_sequence<wire::kLastBuiltinType>());

}  // namespace

bool Decoder::ReadExtensionObject(ExtensionObject& v) {
  DepthGuard guard(*this);
  uint8_t encoding = 0;
  if (!ReadNodeId(v.typeId) || !ReadByte(encoding)) return false;
  v.body.clear();
  if (encoding == static_cast<uint8_t>(BodyEncoding::None)) {
    v.encoding = BodyEncoding::None;
    return true;
  }
  if (encoding != static_cast<uint8_t>(BodyEncoding::Binary) && encoding != static_cast<uint8_t>(BodyEncoding::Xml)) {
    return Fail(DecodeError::BadEncoding);
  }
  v.encoding = static_cast<BodyEncoding>(encoding);
  int32_t length = 0;
  if (!ReadLength(length, kMaxStringLength)) return false;
  // A null body is treated as an empty one; the structure's own decoder decides if that is acceptable.
  return length <= 0 || ReadBytes(v.body, static_cast<size_t>(length));
}

bool Decoder::ReadVariant(Variant& v) {
  DepthGuard guard(*this);
  return ok() && ReadVariantBody(v);
}

bool Decoder::ReadVariantBody(Variant& v) {
  v = Variant();
  uint8_t mask = 0;
  if (!ReadByte(mask)) return false;
  const uint8_t type = mask & wire::kVariantTypeMask;
  if (type == 0) return mask == 0 || Fail(DecodeError::BadEncoding);
  if (type > wire::kLastBuiltinType) return Fail(DecodeError::BadEncoding);
  const ElementReaders& readers = kReaders[type - 1];
  const bool hasDimensions = (mask & wire::kVariantDimensions) != 0;
  if (!(mask & wire::kVariantArray)) {
    // Variants nest only as array elements; a scalar Variant inside a Variant is not a legal encoding.
    if (hasDimensions || type == static_cast<uint8_t>(BuiltinType::Variant)) return Fail(DecodeError::BadEncoding);
    return readers.scalar(*this, v);
  }
  v.isArray = true;
  if (!readers.array(*this, v, v.nullArray)) return false;
  if (!hasDimensions) return true;
  std::vector<int32_t> dimensions;
  bool dimensionsNull = false;
  if (!ReadArray(dimensions, 4, [this](int32_t& n) { return ReadInt32(n); }, &dimensionsNull)) return false;
  if (v.nullArray || dimensionsNull || !wire::DimensionsFit(dimensions, v.ElementCount())) {
    return Fail(DecodeError::BadEncoding);
  }
  v.dimensions = std::move(dimensions);
  return true;
}

bool Decoder::ReadDataValue(DataValue& v) {
  DepthGuard guard(*this);
  v = DataValue();
  uint8_t mask = 0;
  if (!ReadByte(mask)) return false;
  if (mask & ~wire::kValueKnownBits) return Fail(DecodeError::BadEncoding);
  if (mask & wire::kValueHasValue) {
    v.value.emplace();
    if (!ReadVariant(*v.value)) return false;
  }
  if ((mask & wire::kValueHasStatus) && !ReadStatusCode(v.status.emplace())) return false;
  if ((mask & wire::kValueHasSourceTime) && !ReadDateTime(v.sourceTimestamp.emplace())) return false;
  if ((mask & wire::kValueHasSourcePico) && !ReadUInt16(v.sourcePicoseconds.emplace())) return false;
  if ((mask & wire::kValueHasServerTime) && !ReadDateTime(v.serverTimestamp.emplace())) return false;
  if ((mask & wire::kValueHasServerPico) && !ReadUInt16(v.serverPicoseconds.emplace())) return false;
  return true;
}

bool Decoder::SkipDiagnosticInfo() {
  DepthGuard guard(*this);
  return ok() && ReadDiagnosticFields();
}

bool Decoder::ReadDiagnosticFields() {
  uint8_t mask = 0;
  if (!ReadByte(mask)) return false;
  if (mask & ~wire::kDiagKnownBits) return Fail(DecodeError::BadEncoding);
  // SymbolicId, NamespaceUri, Locale and LocalizedText are Int32 indexes into the response's string table.
  for (uint8_t bit : {wire::kDiagSymbolicId, wire::kDiagNamespaceUri, wire::kDiagLocale, wire::kDiagLocalizedText}) {
    if ((mask & bit) && !Skip(4)) return false;
  }
  if (mask & wire::kDiagAdditionalInfo) {
    int32_t length = 0;
    if (!ReadLength(length, kMaxStringLength) || (length > 0 && !Skip(static_cast<size_t>(length)))) return false;
  }
  if ((mask & wire::kDiagInnerStatus) && !Skip(4)) return false;
  if (mask & wire::kDiagInnerDiagnostic) return SkipDiagnosticInfo();
  return true;
}

bool Decoder::ReadDiagnosticInfo(DiagnosticInfo& v) {
  const size_t start = pos_;
  v.encoded.clear();
  if (!SkipDiagnosticInfo()) return false;
  if (pos_ - start == 1) return true;  // the all-absent value is kept as an empty vector
  try {
    v.encoded.assign(data_ + start, data_ + pos_);
  } catch (const std::exception&) {
    return Fail(DecodeError::OutOfMemory);
  }
  return true;
}

}  // namespace ua
