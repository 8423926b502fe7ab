// Variant (any built-in value, scalar or array) and DataValue.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "uaclient/NodeId.h"
#include "uaclient/Structures.h"
#include "uaclient/Types.h"

namespace ua {

struct Variant;
struct DataValue;

// One vector per built-in type. The alternative's index equals the BuiltinType id, so the wire type id and
// the storage never disagree. std::vector allows the two incomplete element types here.
using VariantValues = std::variant<std::monostate, std::vector<bool>, std::vector<int8_t>, std::vector<uint8_t>,
                                   std::vector<int16_t>, std::vector<uint16_t>, std::vector<int32_t>,
                                   std::vector<uint32_t>, std::vector<int64_t>, std::vector<uint64_t>,
                                   std::vector<float>, std::vector<double>, std::vector<String>,
                                   std::vector<DateTime>, std::vector<Guid>, std::vector<ByteString>,
                                   std::vector<XmlElement>, std::vector<NodeId>, std::vector<ExpandedNodeId>,
                                   std::vector<StatusCode>, std::vector<QualifiedName>, std::vector<LocalizedText>,
                                   std::vector<ExtensionObject>, std::vector<DataValue>, std::vector<Variant>,
                                   std::vector<DiagnosticInfo>>;

// A scalar holds exactly one element in `values`. An array may be empty or null (nullArray, count -1 on the
// wire). Multi-dimensional arrays keep their elements flattened plus `dimensions`, whose product must equal
// the element count.
struct Variant {
  VariantValues values;
  bool isArray = false;
  bool nullArray = false;
  std::optional<std::vector<int32_t>> dimensions;

  BuiltinType type() const { return static_cast<BuiltinType>(values.index()); }
  bool IsEmpty() const { return values.index() == 0; }
  // Number of elements held (1 for a scalar, 0 for Null).
  size_t ElementCount() const;

  template <typename T>
  static Variant Scalar(T value) {
    Variant v;
    v.values = std::vector<T>{std::move(value)};
    return v;
  }

  template <typename T>
  static Variant Array(std::vector<T> items) {
    Variant v;
    v.values = std::move(items);
    v.isArray = true;
    return v;
  }

  template <typename T>
  static Variant NullArray() {
    Variant v = Array(std::vector<T>{});
    v.nullArray = true;
    return v;
  }

  // The scalar of type T, or nullptr if this is not a scalar of that type.
  template <typename T>
  const T* ScalarIf() const {
    auto* items = std::get_if<std::vector<T>>(&values);
    return (items && !isArray && items->size() == 1) ? &items->front() : nullptr;
  }

  // The elements of an array of T, or nullptr if this is not such an array.
  template <typename T>
  const std::vector<T>* ArrayIf() const {
    auto* items = std::get_if<std::vector<T>>(&values);
    return (items && isArray) ? items : nullptr;
  }

  bool operator==(const Variant& other) const;
  bool operator!=(const Variant& other) const { return !(*this == other); }
};

struct DataValue {
  std::optional<Variant> value;
  std::optional<StatusCode> status;
  std::optional<DateTime> sourceTimestamp;
  std::optional<uint16_t> sourcePicoseconds;
  std::optional<DateTime> serverTimestamp;
  std::optional<uint16_t> serverPicoseconds;

  bool operator==(const DataValue& other) const;
  bool operator!=(const DataValue& other) const { return !(*this == other); }
};

}  // namespace ua
