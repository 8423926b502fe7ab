// Writes UA Binary encoded values by appending to a caller-owned byte vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "uaclient/Limits.h"
#include "uaclient/NodeId.h"
#include "uaclient/Structures.h"
#include "uaclient/Types.h"
#include "uaclient/Variant.h"

namespace ua {

// Values that cannot be represented (a string over kMaxStringLength, an inconsistent Variant, nesting deeper
// than the decoder accepts) make ok() false for good; the bytes written so far must then be discarded.
class Encoder {
 public:
  explicit Encoder(std::vector<uint8_t>& out) : out_(out) {}

  bool ok() const { return ok_; }
  size_t size() const { return out_.size(); }

  void WriteBoolean(bool v);
  void WriteSByte(int8_t v);
  void WriteByte(uint8_t v);
  void WriteInt16(int16_t v);
  void WriteUInt16(uint16_t v);
  void WriteInt32(int32_t v);
  void WriteUInt32(uint32_t v);
  void WriteInt64(int64_t v);
  void WriteUInt64(uint64_t v);
  void WriteFloat(float v);
  void WriteDouble(double v);
  void WriteString(const String& v);
  void WriteDateTime(const DateTime& v);
  void WriteGuid(const Guid& v);
  void WriteByteString(const ByteString& v);
  void WriteXmlElement(const XmlElement& v);
  void WriteNodeId(const NodeId& v);
  void WriteExpandedNodeId(const ExpandedNodeId& v);
  void WriteStatusCode(const StatusCode& v);
  void WriteQualifiedName(const QualifiedName& v);
  void WriteLocalizedText(const LocalizedText& v);
  void WriteExtensionObject(const ExtensionObject& v);
  void WriteVariant(const Variant& v);
  void WriteDataValue(const DataValue& v);
  void WriteDiagnosticInfo(const DiagnosticInfo& v);

  // The encoding id of a service or structure: a numeric NodeId in namespace 0, in its shortest form.
  void WriteNodeIdOfType(uint32_t numericId) { WriteNodeId(NodeId::Numeric(0, numericId)); }

  // Array length prefix; -1 marks a null array.
  void WriteArrayLength(int32_t count);
  void WriteNullArray() { WriteArrayLength(-1); }

  // Length prefix then each item through writeOne(const T&).
  template <typename T, typename WriteOne>
  void WriteArray(const std::vector<T>& items, WriteOne writeOne) {
    if (items.size() > static_cast<size_t>(kMaxArrayLength)) return Fail();
    WriteArrayLength(static_cast<int32_t>(items.size()));
    for (const auto& item : items) writeOne(item);
  }

  void WriteRaw(const uint8_t* data, size_t size);
  // Overwrites four bytes already written, for sizes only known once the message is complete.
  void PatchUInt32(size_t offset, uint32_t v);

 private:
  void Fail() { ok_ = false; }
  void WriteLength(size_t length);
  void WriteVariantBody(const Variant& v);

  std::vector<uint8_t>& out_;
  bool ok_ = true;
  int depth_ = 0;
};

}  // namespace ua
