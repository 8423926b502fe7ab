#include "settings/PropertyTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string Name(const PropertyRow& row) {
  const std::u16string n(row.name);
  return std::string(n.begin(), n.end());
}

// A value of the row's type that no other row is given below.
Value Distinct(const PropertyRow& row, size_t i) {
  switch (row.type) {
    case VType::I2:
      return Value::I2(static_cast<int16_t>(100 + i));
    case VType::Bool:
      return Value::Bool(true);
    case VType::Color:
      return Value::Color(0x010000u * static_cast<OleColor>(i + 1));
    default:
      return Value::Str(u"x" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
  }
}

}  // namespace

// Each row reads and writes its own member and no other: a row pointing at a
// neighbour's member would persist one property under another's name.
TEST(PropertyTable, EachRowOwnsItsMember) {
  VelmaricAESettings s;
  ResetExchange reset;
  ExchangeProperties(s, reset);
  for (size_t i = 0; i < kPropertyCount; ++i) {
    const PropertyRow& row = kPropertyRows[i];
    const VelmaricAESettings before = s;
    PutProperty(s, row, Distinct(row, i));
    for (size_t k = 0; k < kPropertyCount; ++k) {
      if (k == i) continue;
      const PropertyRow& other = kPropertyRows[k];
      const Value a = GetProperty(before, other), b = GetProperty(s, other);
      EXPECT_TRUE(a.i == b.i && a.s == b.s) << "writing " << Name(row) << " changed " << Name(other);
    }
    const Value got = GetProperty(s, row);
    const Value want = Distinct(row, i);
    EXPECT_EQ(want.i, got.i) << Name(row);
    EXPECT_TRUE(want.s == got.s) << Name(row);
    EXPECT_EQ(row.type, got.type) << Name(row);
  }
}

// Names are unique in the bag (names compare without case in automation), and
// a page's bounds hold the default, so that a new control's pages accept
// what they show.
TEST(PropertyTable, NamesAreUniqueAndDefaultsLieWithinThePagesBounds) {
  std::set<std::string> names;
  for (const PropertyRow& row : kPropertyRows) {
    std::string lower = Name(row);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(names.insert(lower).second) << Name(row);
    if (row.type != VType::I2) continue;
    EXPECT_LE(row.pageMin, row.def) << Name(row);
    EXPECT_LE(row.def, row.pageMax) << Name(row);
  }
  EXPECT_EQ(FindPropertyRow(u"SeverityE")->dispid, 29);
  EXPECT_EQ(FindPropertyRow(u"NoSuchProperty"), nullptr);
}

// Reset gives every default the table states, and the defaults are what the
// stored format has always had.
TEST(PropertyTable, ResetGivesTheDefaults) {
  VelmaricAESettings s;
  ResetExchange reset;
  ExchangeProperties(s, reset);
  EXPECT_EQ(s.m_nWatchdogTimeout, 15);
  EXPECT_EQ(s.m_bHideResetPropertiesMenuItem, 1);
  EXPECT_EQ(s.m_bHideClearAllMenuItem, 0);
  EXPECT_TRUE(s.m_strFieldOrder == u"012345");
  EXPECT_EQ(s.m_nField3Width, 48);
  EXPECT_EQ(s.m_clrBackColorF, 0xFFFFFFu);
  EXPECT_EQ(s.m_clrTextColorA, 0u);
  EXPECT_EQ(s.m_nSeverityE, 800);
}
