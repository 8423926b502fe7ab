// Value types for the simple UA built-in types (everything except NodeIds, Variant and the structures).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/FileTime.h"

namespace ua {

// Built-in type ids as they appear in a Variant's encoding mask.
enum class BuiltinType : uint8_t {
  Null = 0,
  Boolean = 1,
  SByte = 2,
  Byte = 3,
  Int16 = 4,
  UInt16 = 5,
  Int32 = 6,
  UInt32 = 7,
  Int64 = 8,
  UInt64 = 9,
  Float = 10,
  Double = 11,
  String = 12,
  DateTime = 13,
  Guid = 14,
  ByteString = 15,
  XmlElement = 16,
  NodeId = 17,
  ExpandedNodeId = 18,
  StatusCode = 19,
  QualifiedName = 20,
  LocalizedText = 21,
  ExtensionObject = 22,
  DataValue = 23,
  Variant = 24,
  DiagnosticInfo = 25,
};

// UTF-8 text; std::nullopt is the null string (length -1 on the wire), distinct from "".
using String = std::optional<std::string>;

// Raw bytes; std::nullopt is the null ByteString, distinct from an empty one.
using ByteString = std::optional<std::vector<uint8_t>>;

// An XML fragment, carried as its UTF-8 bytes; we never parse it.
struct XmlElement {
  ByteString bytes;
  bool operator==(const XmlElement& other) const { return bytes == other.bytes; }
  bool operator!=(const XmlElement& other) const { return !(*this == other); }
};

// 100-nanosecond ticks since 1601-01-01 UTC. This is exactly the Windows FILETIME epoch and unit, so the
// COM side can copy the value into a FILETIME without arithmetic.
struct DateTime {
  int64_t ticks = 0;
  bool operator==(const DateTime& other) const { return ticks == other.ticks; }
  bool operator!=(const DateTime& other) const { return !(*this == other); }
};

// Ticks between the 1601 epoch and the Unix epoch, for converting to and from time_t-style values; signed,
// as DateTime is.
constexpr int64_t kUnixEpochTicks = static_cast<int64_t>(filetime::kUnixEpoch);

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
  bool operator==(const Guid& other) const {
    return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 && data4 == other.data4;
  }
  bool operator!=(const Guid& other) const { return !(*this == other); }
};

struct StatusCode {
  uint32_t code = 0;
  // The top two bits give the severity: 00 good, 01 uncertain, 10 bad.
  bool IsGood() const { return (code & 0xC0000000u) == 0; }
  bool IsBad() const { return (code & 0x80000000u) != 0; }
  bool operator==(const StatusCode& other) const { return code == other.code; }
  bool operator!=(const StatusCode& other) const { return !(*this == other); }
};

struct QualifiedName {
  uint16_t namespaceIndex = 0;
  String name;
  bool operator==(const QualifiedName& other) const {
    return namespaceIndex == other.namespaceIndex && name == other.name;
  }
  bool operator!=(const QualifiedName& other) const { return !(*this == other); }
};

// Each part is sent only when present; the encoding mask says which.
struct LocalizedText {
  String locale;
  String text;
  bool operator==(const LocalizedText& other) const { return locale == other.locale && text == other.text; }
  bool operator!=(const LocalizedText& other) const { return !(*this == other); }
};

}  // namespace ua
