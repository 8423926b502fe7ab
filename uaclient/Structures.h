// ExtensionObject and DiagnosticInfo: structures we carry but do not interpret.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/NodeId.h"

namespace ua {

enum class BodyEncoding : uint8_t { None = 0x00, Binary = 0x01, Xml = 0x02 };

// A structure we may not know: its encoding id plus the encoded body, left opaque so it can be handed to
// whichever layer knows the type (or passed through untouched).
struct ExtensionObject {
  NodeId typeId;
  BodyEncoding encoding = BodyEncoding::None;
  std::vector<uint8_t> body;  // must stay empty when encoding is None

  bool operator==(const ExtensionObject& other) const {
    return typeId == other.typeId && encoding == other.encoding && body == other.body;
  }
  bool operator!=(const ExtensionObject& other) const { return !(*this == other); }
};

// Servers attach DiagnosticInfo to results; the alarm list never shows it, so the decoder only validates it
// and keeps its encoded bytes for re-sending. Empty means the all-absent value (a lone 0x00 mask byte).
struct DiagnosticInfo {
  std::vector<uint8_t> encoded;

  bool operator==(const DiagnosticInfo& other) const { return encoded == other.encoded; }
  bool operator!=(const DiagnosticInfo& other) const { return !(*this == other); }
};

}  // namespace ua
