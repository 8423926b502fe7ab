// The property set written down once. Each row names a property and gives
// its automation id, its type, its default, the member that holds it and the
// bounds its property page accepts. The rows are in the order of the stored
// stream (which keeps values by position) and of the property bag: the
// dispatch table, the exchange (stream, bag, reset) and the pages' bounds are
// all made from them, and a test compares them with the type library.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

#include "framework/PropExchange.h"
#include "framework/Value.h"
#include "model/EventList.h"
#include "settings/VelmaricAESettings.h"

struct PropertyRow {
  const char16_t* name;
  DispId dispid;
  VType type;  // I2, Bool, Color or BStr, and the member that matches it
  int16_t VelmaricAESettings::*number;
  Bool32 VelmaricAESettings::*flag;
  OleColor VelmaricAESettings::*color;
  String VelmaricAESettings::*text;
  int32_t def;              // the default of a number, flag or colour
  const char16_t* defText;  // the default of a text
  int16_t pageMin, pageMax; // what the property page accepts for a number
};

namespace property_rows {
using S = VelmaricAESettings;
constexpr PropertyRow Number(const char16_t* name, DispId id, int16_t S::*m, int16_t def, int16_t min, int16_t max) {
  return {name, id, VType::I2, m, nullptr, nullptr, nullptr, def, nullptr, min, max};
}
constexpr PropertyRow Flag(const char16_t* name, DispId id, Bool32 S::*m, Bool32 def) {
  return {name, id, VType::Bool, nullptr, m, nullptr, nullptr, def, nullptr, 0, 0};
}
constexpr PropertyRow Colour(const char16_t* name, DispId id, OleColor S::*m, OleColor def) {
  return {name, id, VType::Color, nullptr, nullptr, m, nullptr, static_cast<int32_t>(def), nullptr, 0, 0};
}
constexpr PropertyRow Text(const char16_t* name, DispId id, String S::*m, const char16_t* def) {
  return {name, id, VType::BStr, nullptr, nullptr, nullptr, m, 0, def, 0, 0};
}
}  // namespace property_rows

// Stream and bag order. Column widths are in characters; severities are the
// lower bounds of the colour bands B to E (A is the lowest band's bound).
inline constexpr PropertyRow kPropertyRows[] = {
    property_rows::Flag(u"HideConnectionMenuItems", 32, &VelmaricAESettings::m_bHideConnectionMenuItems, 0),
    property_rows::Flag(u"HideClearAllMenuItem", 30, &VelmaricAESettings::m_bHideClearAllMenuItem, 0),
    property_rows::Flag(u"HideResetPropertiesMenuItem", 31, &VelmaricAESettings::m_bHideResetPropertiesMenuItem, 1),
    property_rows::Flag(u"DisableColumnSizing", 33, &VelmaricAESettings::m_bDisableColumnSizing, 0),
    property_rows::Number(u"WatchdogTimeout", 1, &VelmaricAESettings::m_nWatchdogTimeout, 15, 0, 300),
    property_rows::Flag(u"AddNewEventsToBottom", 2, &VelmaricAESettings::m_bAddNewEventsToBottom, 0),
    property_rows::Flag(u"LocalizeTimestamps", 3, &VelmaricAESettings::m_bLocalizeTimestamps, 0),
    property_rows::Flag(u"SuppressAcknEvents", 4, &VelmaricAESettings::m_bSuppressAcknEvents, 0),
    property_rows::Flag(u"SuppressResetEvents", 5, &VelmaricAESettings::m_bSuppressResetEvents, 0),
    property_rows::Text(u"FieldOrder", 6, &VelmaricAESettings::m_strFieldOrder, u"012345"),
    property_rows::Number(u"Field0Width", 7, &VelmaricAESettings::m_nField0Width, kDefaultFieldWidths[0], 0, 240),
    property_rows::Number(u"Field1Width", 8, &VelmaricAESettings::m_nField1Width, kDefaultFieldWidths[1], 0, 240),
    property_rows::Number(u"Field2Width", 9, &VelmaricAESettings::m_nField2Width, kDefaultFieldWidths[2], 0, 240),
    property_rows::Number(u"Field3Width", 10, &VelmaricAESettings::m_nField3Width, kDefaultFieldWidths[3], 0, 240),
    property_rows::Number(u"Field4Width", 11, &VelmaricAESettings::m_nField4Width, kDefaultFieldWidths[4], 0, 240),
    property_rows::Number(u"Field5Width", 12, &VelmaricAESettings::m_nField5Width, kDefaultFieldWidths[5], 0, 240),
    property_rows::Colour(u"BackColorA", 19, &VelmaricAESettings::m_clrBackColorA, 0xFFFFFF),
    property_rows::Colour(u"BackColorB", 20, &VelmaricAESettings::m_clrBackColorB, 0xFFFFFF),
    property_rows::Colour(u"BackColorC", 21, &VelmaricAESettings::m_clrBackColorC, 0xFFFFFF),
    property_rows::Colour(u"BackColorD", 22, &VelmaricAESettings::m_clrBackColorD, 0xFFFFFF),
    property_rows::Colour(u"BackColorE", 23, &VelmaricAESettings::m_clrBackColorE, 0xFFFFFF),
    property_rows::Colour(u"BackColorF", 24, &VelmaricAESettings::m_clrBackColorF, 0xFFFFFF),
    property_rows::Colour(u"TextColorA", 13, &VelmaricAESettings::m_clrTextColorA, 0x000000),
    property_rows::Colour(u"TextColorB", 14, &VelmaricAESettings::m_clrTextColorB, 0x000000),
    property_rows::Colour(u"TextColorC", 15, &VelmaricAESettings::m_clrTextColorC, 0x000000),
    property_rows::Colour(u"TextColorD", 16, &VelmaricAESettings::m_clrTextColorD, 0x000000),
    property_rows::Colour(u"TextColorE", 17, &VelmaricAESettings::m_clrTextColorE, 0x000000),
    property_rows::Colour(u"TextColorF", 18, &VelmaricAESettings::m_clrTextColorF, 0x000000),
    property_rows::Number(u"SeverityA", 25, &VelmaricAESettings::m_nSeverityA, 1, 1, 999),
    property_rows::Number(u"SeverityB", 26, &VelmaricAESettings::m_nSeverityB, 200, 1, 999),
    property_rows::Number(u"SeverityC", 27, &VelmaricAESettings::m_nSeverityC, 400, 1, 999),
    property_rows::Number(u"SeverityD", 28, &VelmaricAESettings::m_nSeverityD, 600, 1, 999),
    property_rows::Number(u"SeverityE", 29, &VelmaricAESettings::m_nSeverityE, 800, 1, 999),
};
inline constexpr size_t kPropertyCount = sizeof kPropertyRows / sizeof kPropertyRows[0];

// The row of a property by its exact name; a name no row has stops the
// build where this is evaluated at compile time, and is null at run time.
constexpr const PropertyRow* FindPropertyRow(std::u16string_view name) {
  for (const PropertyRow& r : kPropertyRows)
    if (name == r.name) return &r;
  return nullptr;
}

// The rows in dispatch-id order: kPropertyRows[kRowsByDispId[k]] has id k + 1.
inline constexpr std::array<size_t, kPropertyCount> kRowsByDispId = [] {
  std::array<size_t, kPropertyCount> order{};
  for (size_t k = 0; k < kPropertyCount; ++k)
    for (size_t i = 0; i < kPropertyCount; ++i)
      if (kPropertyRows[i].dispid == static_cast<DispId>(k + 1)) order[k] = i;
  return order;
}();

// The property as automation sees it (a Value of the row's type).
Value GetProperty(const VelmaricAESettings& settings, const PropertyRow& row);
// Writes a Value already converted to the row's type.
void PutProperty(VelmaricAESettings& settings, const PropertyRow& row, const Value& value);
// Every property through the exchange, in stream order.
void ExchangeProperties(VelmaricAESettings& settings, PropExchange& px);
