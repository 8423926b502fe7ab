#include "settings/PropertyTable.h"

namespace {

// Every id 1..count once: the dispatch table and the type library rely on it.
constexpr bool DispIdsAreOneToCount() {
  for (size_t k = 0; k < kPropertyCount; ++k) {
    int seen = 0;
    for (const PropertyRow& r : kPropertyRows) seen += r.dispid == static_cast<DispId>(k + 1);
    if (seen != 1) return false;
  }
  return true;
}
static_assert(DispIdsAreOneToCount(), "property dispatch ids must be 1..count, each once");

}  // namespace

Value GetProperty(const VelmaricAESettings& s, const PropertyRow& row) {
  switch (row.type) {
    case VType::I2:
      return Value::I2(s.*row.number);
    case VType::Bool: {
      Value v;  // the stored 32-bit value as it is, as the member holds it
      v.type = VType::Bool;
      v.i = s.*row.flag;
      return v;
    }
    case VType::Color:
      return Value::Color(s.*row.color);
    default:
      return Value::Str(s.*row.text);
  }
}

void PutProperty(VelmaricAESettings& s, const PropertyRow& row, const Value& v) {
  switch (row.type) {
    case VType::I2:
      s.*row.number = static_cast<int16_t>(v.i);
      break;
    case VType::Bool:
      s.*row.flag = v.i != 0 ? 1 : 0;
      break;
    case VType::Color:
      s.*row.color = static_cast<OleColor>(v.i);
      break;
    default:
      s.*row.text = v.s;
      break;
  }
}

void ExchangeProperties(VelmaricAESettings& s, PropExchange& px) {
  for (const PropertyRow& row : kPropertyRows) {
    switch (row.type) {
      case VType::I2:
        px.Short(row.name, s.*row.number, static_cast<int16_t>(row.def));
        break;
      case VType::Bool:
        px.Bool(row.name, s.*row.flag, row.def);
        break;
      case VType::Color:
        px.Color(row.name, s.*row.color, static_cast<OleColor>(row.def));
        break;
      default:
        px.Str(row.name, s.*row.text, String(row.defText));
        break;
    }
  }
}
