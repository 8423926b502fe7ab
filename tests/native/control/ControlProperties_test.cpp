// The control's property set: the dispatch table, defaults, the shared change
// notification, reset, and the stored forms (stream layout and named set).
#include <gtest/gtest.h>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/RecordingHost.h"

namespace {

struct Default {
  const char16_t* name;
  DispId id;
  Value value;
};

const Default kDefaults[] = {
    {u"WatchdogTimeout", 1, Value::I2(15)},
    {u"AddNewEventsToBottom", 2, Value::Bool(false)},
    {u"LocalizeTimestamps", 3, Value::Bool(false)},
    {u"SuppressAcknEvents", 4, Value::Bool(false)},
    {u"SuppressResetEvents", 5, Value::Bool(false)},
    {u"FieldOrder", 6, Value::Str(u"012345")},
    {u"Field0Width", 7, Value::I2(8)},
    {u"Field1Width", 8, Value::I2(40)},
    {u"Field2Width", 9, Value::I2(40)},
    {u"Field3Width", 10, Value::I2(48)},
    {u"Field4Width", 11, Value::I2(32)},
    {u"Field5Width", 12, Value::I2(12)},
    {u"TextColorA", 13, Value::Color(0)},
    {u"TextColorB", 14, Value::Color(0)},
    {u"TextColorC", 15, Value::Color(0)},
    {u"TextColorD", 16, Value::Color(0)},
    {u"TextColorE", 17, Value::Color(0)},
    {u"TextColorF", 18, Value::Color(0)},
    {u"BackColorA", 19, Value::Color(0xFFFFFF)},
    {u"BackColorB", 20, Value::Color(0xFFFFFF)},
    {u"BackColorC", 21, Value::Color(0xFFFFFF)},
    {u"BackColorD", 22, Value::Color(0xFFFFFF)},
    {u"BackColorE", 23, Value::Color(0xFFFFFF)},
    {u"BackColorF", 24, Value::Color(0xFFFFFF)},
    {u"SeverityA", 25, Value::I2(1)},
    {u"SeverityB", 26, Value::I2(200)},
    {u"SeverityC", 27, Value::I2(400)},
    {u"SeverityD", 28, Value::I2(600)},
    {u"SeverityE", 29, Value::I2(800)},
    {u"HideClearAllMenuItem", 30, Value::Bool(false)},
    {u"HideResetPropertiesMenuItem", 31, Value::Bool(true)},
    {u"HideConnectionMenuItems", 32, Value::Bool(false)},
    {u"DisableColumnSizing", 33, Value::Bool(false)},
};

Value Get(CVelmaricAECtrl& c, const char16_t* name) {
  const DispEntry* e = c.GetDispatchTable().FindByName(name);
  EXPECT_NE(e, nullptr) << "no property";
  return e ? e->get(c) : Value();
}

void Put(CVelmaricAECtrl& c, const char16_t* name, const Value& v) {
  const DispEntry* e = c.GetDispatchTable().FindByName(name);
  ASSERT_NE(e, nullptr);
  e->put(c, v);
}

void ExpectDefaults(CVelmaricAECtrl& c) {
  for (const Default& d : kDefaults) EXPECT_EQ(Get(c, d.name), d.value) << std::string(d.name, d.name + 5);
  EXPECT_EQ(c.GetBackColor(), 0x80000005u);
  EXPECT_EQ(c.GetFont(), FontDesc());
}

// A distinctive value of the property's type.
Value Changed(const Value& d, int k) {
  switch (d.type) {
    case VType::I2: return Value::I2(static_cast<int16_t>(-100 - k));
    case VType::Bool: return Value::Bool(d.i == 0);
    case VType::Color: return Value::Color(0x10203 * (k + 1));
    case VType::BStr: return Value::Str(u"543210");
    default: return d;
  }
}

TEST(ControlProperties, TableHasEveryPropertyWithItsIdAndTheTwoMethods) {
  CVelmaricAECtrl c;
  const DispTable& t = c.GetDispatchTable();
  EXPECT_EQ(t.count, 35u);
  for (const Default& d : kDefaults) {
    const DispEntry* e = t.FindByName(d.name);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->dispid, d.id);
    EXPECT_EQ(e->type, d.value.type);
    EXPECT_FALSE(e->isMethod);
  }
  ASSERT_NE(t.FindById(34), nullptr);
  EXPECT_TRUE(t.FindById(34)->isMethod);
  EXPECT_EQ(t.FindById(34)->type, VType::Bool);
  ASSERT_NE(t.FindById(35), nullptr);
  EXPECT_EQ(t.FindById(35)->type, VType::Empty);
  EXPECT_EQ(t.FindById(kDispIdAboutBox), nullptr);  // declared in the type library only
  EXPECT_NE(t.FindByName(u"fieldorder"), nullptr);  // names without regard to case
}

// A control that no container initialises is a new control all the same.
TEST(ControlProperties, NewControlHasTheDefaultsAndIsNotModified) {
  CVelmaricAECtrl c;
  ExpectDefaults(c);
  EXPECT_FALSE(c.IsModified());
}

TEST(ControlProperties, EveryWriteMarksModifiedEvenWithTheSameValue) {
  CVelmaricAECtrl c;
  int k = 0;
  for (const Default& d : kDefaults) {
    c.SetModifiedFlag(false);
    Put(c, d.name, d.value);
    EXPECT_TRUE(c.IsModified());
    Put(c, d.name, Changed(d.value, k++));
  }
  // No range check: values a page would refuse are stored.
  Put(c, u"WatchdogTimeout", Value::I2(1000));
  EXPECT_EQ(Get(c, u"WatchdogTimeout"), Value::I2(1000));
  Put(c, u"FieldOrder", Value::Str(u"01234A"));
  EXPECT_EQ(Get(c, u"FieldOrder"), Value::Str(u"01234A"));
}

TEST(ControlProperties, ResetRestoresEveryDefaultAndRedraws) {
  RecordingHost host;
  CVelmaricAECtrl c;
  c.SetHost(&host);
  int k = 0;
  for (const Default& d : kDefaults) Put(c, d.name, Changed(d.value, k++));
  c.SetBackColor(0x123456);
  host.m_nInvalidations = 0;
  c.ResetState();
  ExpectDefaults(c);
  EXPECT_GT(host.m_nInvalidations, 0);
  c.SetHost(nullptr);
}

TEST(ControlProperties, ResetTakesTheContainersAmbientFontAndBackColor) {
  RecordingHost host;
  FontDesc ambient;
  ambient.name = u"Tahoma";
  ambient.size = 100000;
  host.m_ambient[kDispIdAmbientBackColor] = Value::I4(0x00C0C0C0);
  host.m_ambient[kDispIdAmbientFont] = Value::Font(ambient);
  CVelmaricAECtrl c;
  c.SetHost(&host);
  c.ResetState();
  EXPECT_EQ(c.GetBackColor(), 0x00C0C0C0u);
  EXPECT_EQ(c.GetFont(), ambient);
  c.SetHost(nullptr);
}

// The stream keeps values by position: version, extent, stock properties,
// then the custom properties in exchange order.
TEST(ControlProperties, StreamLayoutFollowsTheExchangeOrder) {
  CVelmaricAECtrl c;
  ByteWriter actual;
  c.SaveToBytes(actual);

  ByteWriter w;
  w.U32(0x00010000);
  w.U32(12700);
  w.U32(6350);
  w.U32(0x80000005);
  w.Str(u"MS Sans Serif");
  w.U64(80000);
  w.U16(400);
  w.U16(0);
  w.U8(0);
  for (uint32_t b : {0, 0, 1, 0}) w.U32(b);  // HideConnection, HideClearAll, HideReset, DisableSizing
  w.U16(15);
  for (int k = 0; k < 4; ++k) w.U32(0);  // AddToBottom, Localize, SuppressAckn, SuppressReset
  w.Str(u"012345");
  for (uint16_t width : {8, 40, 40, 48, 32, 12}) w.U16(width);
  for (int k = 0; k < 6; ++k) w.U32(0xFFFFFF);
  for (int k = 0; k < 6; ++k) w.U32(0);
  for (uint16_t s : {1, 200, 400, 600, 800}) w.U16(s);
  EXPECT_EQ(actual.Bytes(), w.Bytes());
}

TEST(ControlProperties, StreamAndBagRoundTripEveryProperty) {
  CVelmaricAECtrl a;
  int k = 0;
  for (const Default& d : kDefaults) Put(a, d.name, Changed(d.value, k++));
  a.SetBackColor(0x00112233);
  FontDesc f;
  f.name = u"Courier New";
  f.size = 120000;
  f.weight = 700;
  f.italic = true;
  a.SetFont(f);

  ByteWriter bytes;
  a.SaveToBytes(bytes);
  MemoryPropertyBag bag;
  ASSERT_TRUE(a.SaveToBag(bag));

  CVelmaricAECtrl fromStream;
  ByteReader in(bytes.Bytes());
  ASSERT_TRUE(fromStream.LoadFromBytes(in));
  fromStream.LoadFromBag(bag);  // the same values again, by name
  for (const Default& d : kDefaults) EXPECT_EQ(Get(fromStream, d.name), Get(a, d.name));
  EXPECT_EQ(fromStream.GetBackColor(), 0x00112233u);
  EXPECT_EQ(fromStream.GetFont(), f);
  EXPECT_FALSE(fromStream.IsModified());
  EXPECT_EQ(fromStream.GetVersionLoaded(), 0x00010000u);
}

TEST(ControlProperties, BagMissingOrMistypedNamesTakeTheirDefaults) {
  CVelmaricAECtrl a;
  Put(a, u"FieldOrder", Value::Str(u"543210"));
  Put(a, u"HideResetPropertiesMenuItem", Value::Bool(false));
  Put(a, u"SeverityC", Value::I2(333));
  MemoryPropertyBag bag;
  a.SaveToBag(bag);
  bag.m_values.erase(u"FieldOrder");
  bag.m_values.erase(u"HideResetPropertiesMenuItem");
  bag.m_values[u"WatchdogTimeout"] = Value::Str(u"abc");

  CVelmaricAECtrl b;
  b.LoadFromBag(bag);
  EXPECT_EQ(Get(b, u"FieldOrder"), Value::Str(u"012345"));
  EXPECT_EQ(Get(b, u"HideResetPropertiesMenuItem"), Value::Bool(true));
  EXPECT_EQ(Get(b, u"WatchdogTimeout"), Value::I2(15));
  EXPECT_EQ(Get(b, u"SeverityC"), Value::I2(333));  // the rest still loads
}

TEST(ControlProperties, TruncatedOrForeignStreamsLeaveTheDefaults) {
  CVelmaricAECtrl a;
  Put(a, u"SeverityE", Value::I2(999));
  ByteWriter bytes;
  a.SaveToBytes(bytes);
  const std::vector<uint8_t>& all = bytes.Bytes();

  CVelmaricAECtrl b;
  for (size_t cut : {size_t(0), size_t(3), size_t(40), all.size() - 1}) {
    Put(b, u"SeverityA", Value::I2(77));
    ByteReader in(all.data(), cut);
    EXPECT_FALSE(b.LoadFromBytes(in)) << cut;
    ExpectDefaults(b);
  }
  std::vector<uint8_t> noise(all.size());
  uint32_t x = 12345;
  for (uint8_t& v : noise) v = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
  ByteReader in(noise);
  EXPECT_FALSE(b.LoadFromBytes(in));
  ExpectDefaults(b);
}

}  // namespace
