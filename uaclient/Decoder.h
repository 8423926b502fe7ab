// Reads UA Binary encoded values from a byte range, never trusting a length or count from the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "uaclient/DecodeError.h"
#include "uaclient/Limits.h"
#include "uaclient/NodeId.h"
#include "uaclient/Structures.h"
#include "uaclient/Types.h"
#include "uaclient/Variant.h"

namespace ua {

// Every Read returns false on failure. The first failure is sticky: error() keeps its reason and every later
// read fails at once without touching the buffer, so a caller may check only once at the end. No exception
// leaves a Read; the output argument's contents after a failure are unspecified (but valid).
class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  explicit Decoder(const std::vector<uint8_t>& bytes) : Decoder(bytes.data(), bytes.size()) {}
  // The decoder only points into the bytes, so a temporary would dangle.
  explicit Decoder(std::vector<uint8_t>&&) = delete;

  bool ok() const { return error_ == DecodeError::None; }
  DecodeError error() const { return error_; }
  size_t position() const { return pos_; }
  size_t remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ == size_; }

  bool ReadBoolean(bool& v);
  bool ReadSByte(int8_t& v);
  bool ReadByte(uint8_t& v);
  bool ReadInt16(int16_t& v);
  bool ReadUInt16(uint16_t& v);
  bool ReadInt32(int32_t& v);
  bool ReadUInt32(uint32_t& v);
  bool ReadInt64(int64_t& v);
  bool ReadUInt64(uint64_t& v);
  bool ReadFloat(float& v);
  bool ReadDouble(double& v);
  bool ReadString(String& v);
  bool ReadDateTime(DateTime& v);
  bool ReadGuid(Guid& v);
  bool ReadByteString(ByteString& v);
  bool ReadXmlElement(XmlElement& v);
  bool ReadNodeId(NodeId& v);
  bool ReadExpandedNodeId(ExpandedNodeId& v);
  bool ReadStatusCode(StatusCode& v);
  bool ReadQualifiedName(QualifiedName& v);
  bool ReadLocalizedText(LocalizedText& v);
  bool ReadExtensionObject(ExtensionObject& v);
  bool ReadVariant(Variant& v);
  bool ReadDataValue(DataValue& v);
  bool ReadDiagnosticInfo(DiagnosticInfo& v);
  bool SkipDiagnosticInfo();

  // Reads a NodeId that must be numeric in namespace 0 (a service or structure encoding id).
  bool ReadNodeIdOfType(uint32_t& numericId);

  // Reads an array length (-1 = null) and checks it against kMaxArrayLength and against the bytes left,
  // assuming each element takes at least minElementSize bytes.
  bool ReadArrayLength(int32_t& count, size_t minElementSize);

  // Length prefix then `count` calls of readOne(T&). A null array leaves `items` empty and sets *isNull.
  template <typename T, typename ReadOne>
  bool ReadArray(std::vector<T>& items, size_t minElementSize, ReadOne readOne, bool* isNull = nullptr) {
    int32_t count = 0;
    items.clear();
    if (!ReadArrayLength(count, minElementSize)) return false;
    if (isNull) *isNull = count < 0;
    if (count <= 0) return true;
    if (!Reserve(items, static_cast<size_t>(count))) return false;
    for (int32_t i = 0; i < count; ++i) {
      T item{};
      if (!readOne(item)) return false;
      items.push_back(std::move(item));  // cannot allocate: capacity reserved above
    }
    return true;
  }

  // Copies the next `size` bytes out, or fails with Truncated.
  bool ReadRaw(uint8_t* out, size_t size);
  bool Skip(size_t size);

  // Marks the decoder failed (keeping an earlier reason if there is one). Always returns false.
  bool Fail(DecodeError reason);

 private:
  class DepthGuard;

  template <typename T>
  bool Reserve(std::vector<T>& items, size_t count) {
    try {
      items.reserve(count);
      return true;
    } catch (const std::bad_alloc&) {
      return Fail(DecodeError::OutOfMemory);
    } catch (const std::length_error&) {
      return Fail(DecodeError::OutOfMemory);
    }
  }

  bool ReadLength(int32_t& length, int32_t limit);
  bool ReadBytes(std::vector<uint8_t>& out, size_t size);
  bool ReadNodeIdBody(uint8_t form, NodeId& v);
  bool ReadVariantBody(Variant& v);
  bool ReadDiagnosticFields();

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  int depth_ = 0;
  DecodeError error_ = DecodeError::None;
};

}  // namespace ua
