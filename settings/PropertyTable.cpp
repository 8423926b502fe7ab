#include "settings/PropertyTable.h"

#include <type_traits>

#include "framework/DispatchTable.h"

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

// Calls f with the member the row names, typed as it is.
template <class Settings, class F>
decltype(auto) WithMember(Settings& s, const PropertyRow& row, F&& f) {
  switch (row.type) {
    case VType::I2:
      return f(s.*row.number);
    case VType::Bool:
      return f(s.*row.flag);
    case VType::Color:
      return f(s.*row.color);
    default:
      return f(s.*row.text);
  }
}

}  // namespace

Value GetProperty(const VelmaricAESettings& s, const PropertyRow& row) {
  return WithMember(s, row, [&](const auto& m) { return dispatch_detail::ToValue(row.type, m); });
}

void PutProperty(VelmaricAESettings& s, const PropertyRow& row, const Value& v) {
  WithMember(s, row, [&](auto& m) { m = dispatch_detail::FromValue<std::decay_t<decltype(m)>>(row.type, v); });
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
