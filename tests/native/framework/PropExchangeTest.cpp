// The control's property set through the portable exchange: its names, order
// and defaults, named bags, the positional byte form, and what a bad stream
// or a bad bag value does to the control.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/RecordingExchange.h"

namespace {

using Entry = PropEntry;

Value B(bool v) { return Value::Bool(v); }
Value S(int16_t v) { return Value::I2(v); }
Value C(OleColor v) { return Value::Color(v); }

const std::vector<Entry>& ExpectedDefaults() {
  static const std::vector<Entry> e = {
      {u"_Version", Value::I4(0x00010000)},
      {u"_ExtentX", Value::I4(12700)},
      {u"_ExtentY", Value::I4(6350)},
      {u"BackColor", C(0x80000005)},
      {u"Font", Value::Font(FontDesc())},
      {u"HideConnectionMenuItems", B(false)},
      {u"HideClearAllMenuItem", B(false)},
      {u"HideResetPropertiesMenuItem", B(true)},
      {u"DisableColumnSizing", B(false)},
      {u"WatchdogTimeout", S(15)},
      {u"AddNewEventsToBottom", B(false)},
      {u"LocalizeTimestamps", B(false)},
      {u"SuppressAcknEvents", B(false)},
      {u"SuppressResetEvents", B(false)},
      {u"FieldOrder", Value::Str(u"012345")},
      {u"Field0Width", S(8)},
      {u"Field1Width", S(40)},
      {u"Field2Width", S(40)},
      {u"Field3Width", S(48)},
      {u"Field4Width", S(32)},
      {u"Field5Width", S(12)},
      {u"BackColorA", C(0xFFFFFF)},
      {u"BackColorB", C(0xFFFFFF)},
      {u"BackColorC", C(0xFFFFFF)},
      {u"BackColorD", C(0xFFFFFF)},
      {u"BackColorE", C(0xFFFFFF)},
      {u"BackColorF", C(0xFFFFFF)},
      {u"TextColorA", C(0)},
      {u"TextColorB", C(0)},
      {u"TextColorC", C(0)},
      {u"TextColorD", C(0)},
      {u"TextColorE", C(0)},
      {u"TextColorF", C(0)},
      {u"SeverityA", S(1)},
      {u"SeverityB", S(200)},
      {u"SeverityC", S(400)},
      {u"SeverityD", S(600)},
      {u"SeverityE", S(800)},
  };
  return e;
}

// A container that offers an ambient font and back colour.
class AmbientHost : public ControlHost {
 public:
  void FireEvent(DispId, const std::vector<Value>&) override {}
  void OnPropertyChanged(DispId) override {}
  void InvalidateControl() override {}
  std::optional<Value> GetAmbient(DispId id) override {
    if (id == kDispIdAmbientBackColor) return Value::Color(0x00332211);
    if (id == kDispIdAmbientFont) return Value::Font(font);
    return std::nullopt;
  }
  FontDesc font;
};

class PropExchangeTest : public ::testing::Test {
 protected:
  // Non-default values in every kind of property.
  static void Change(CVelmaricAECtrl& c) {
    FontDesc f;
    f.name = u"Courier New";
    f.size = 100000;
    f.weight = 700;
    f.underline = true;
    c.SetFont(f);
    c.SetBackColor(0x00ABCDEF);
    c.SetExtent({5000, 3000});
    c.m_nWatchdogTimeout = -7;
    c.m_bLocalizeTimestamps = 1;
    c.m_bHideResetPropertiesMenuItem = 0;
    c.m_strFieldOrder = u"\u00e9t\u00e9 long value";
    c.m_nField5Width = 32767;
    c.m_clrTextColorE = 0x80000012;
    c.m_nSeverityC = -32768;
  }
  static std::vector<uint8_t> Bytes(CVelmaricAECtrl& c) {
    ByteWriter out;
    c.SaveToBytes(out);
    return out.Bytes();
  }
  CVelmaricAECtrl m_ctrl;
};

TEST_F(PropExchangeTest, ResetGivesEveryDefaultInTheStoredOrder) {
  Change(m_ctrl);
  m_ctrl.ResetState();
  EXPECT_EQ(Snapshot(m_ctrl), ExpectedDefaults());
}

TEST_F(PropExchangeTest, ResetTakesTheContainersAmbientFontAndColour) {
  AmbientHost host;
  host.font.name = u"Tahoma";
  host.font.size = 90000;
  m_ctrl.SetHost(&host);
  m_ctrl.ResetState();
  EXPECT_EQ(m_ctrl.GetBackColor(), 0x00332211u);
  EXPECT_EQ(m_ctrl.GetFont(), host.font);

  // A bag without the stock pair gives the ambient values too.
  Change(m_ctrl);
  MemoryPropertyBag bag;
  m_ctrl.LoadFromBag(bag);
  EXPECT_EQ(m_ctrl.GetBackColor(), 0x00332211u);
  EXPECT_EQ(m_ctrl.GetFont(), host.font);
  m_ctrl.SetHost(nullptr);
}

TEST_F(PropExchangeTest, BagRoundTripAndModifiedFlag) {
  Change(m_ctrl);
  EXPECT_TRUE(m_ctrl.IsModified());
  MemoryPropertyBag bag;
  EXPECT_TRUE(m_ctrl.SaveToBag(bag));
  EXPECT_TRUE(m_ctrl.IsModified());  // saving alone does not clear it
  EXPECT_EQ(bag.m_values.size(), ExpectedDefaults().size());

  CVelmaricAECtrl copy;
  copy.SetModifiedFlag();
  copy.LoadFromBag(bag);
  EXPECT_FALSE(copy.IsModified());
  EXPECT_EQ(Snapshot(copy), Snapshot(m_ctrl));
  EXPECT_EQ(copy.GetVersionLoaded(), 0x00010000u);
}

TEST_F(PropExchangeTest, BagValuesOfTheWrongTypeOrMissingTakeTheirDefaults) {
  Change(m_ctrl);
  MemoryPropertyBag bag;
  m_ctrl.SaveToBag(bag);
  bag.m_values[u"WatchdogTimeout"] = Value::Str(u"abc");
  bag.m_values[u"Font"] = Value::Str(u"Arial");
  bag.m_values[u"FieldOrder"] = Value::I4(543210);
  bag.m_values[u"HideResetPropertiesMenuItem"] = Value::I2(0);
  bag.m_values.erase(u"SeverityC");
  bag.m_values.erase(u"_Version");

  CVelmaricAECtrl copy;
  copy.LoadFromBag(bag);
  EXPECT_EQ(copy.m_nWatchdogTimeout, 15);
  EXPECT_EQ(copy.GetFont(), FontDesc());
  EXPECT_EQ(copy.m_strFieldOrder, u"012345");
  EXPECT_EQ(copy.m_bHideResetPropertiesMenuItem, 1);
  EXPECT_EQ(copy.m_nSeverityC, 400);
  EXPECT_EQ(copy.GetVersionLoaded(), 0x00010000u);
  // Everything else came through.
  EXPECT_EQ(copy.m_nField5Width, 32767);
  EXPECT_EQ(copy.m_clrTextColorE, 0x80000012u);
  EXPECT_EQ(copy.m_bLocalizeTimestamps, 1);
  EXPECT_EQ(copy.GetBackColor(), 0x00ABCDEFu);
  EXPECT_EQ(copy.GetExtent(), (Size{5000, 3000}));
}

TEST_F(PropExchangeTest, ByteFormRoundTripsAndStartsWithVersionAndExtent) {
  Change(m_ctrl);
  const std::vector<uint8_t> bytes = Bytes(m_ctrl);
  ASSERT_GE(bytes.size(), 12u);
  const std::vector<uint8_t> head = {0x00, 0x00, 0x01, 0x00, 0x88, 0x13, 0, 0, 0xB8, 0x0B, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12), head);

  CVelmaricAECtrl copy;
  copy.SetModifiedFlag();
  ByteReader in(bytes);
  EXPECT_TRUE(copy.LoadFromBytes(in));
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_FALSE(copy.IsModified());
  EXPECT_EQ(Snapshot(copy), Snapshot(m_ctrl));
}

TEST_F(PropExchangeTest, EveryTruncationIsRefusedAndLeavesTheDefaults) {
  Change(m_ctrl);
  const std::vector<uint8_t> bytes = Bytes(m_ctrl);
  CVelmaricAECtrl copy;
  for (size_t len = 0; len < bytes.size(); ++len) {
    Change(copy);
    ByteReader in(bytes.data(), len);
    EXPECT_FALSE(copy.LoadFromBytes(in)) << len;
    EXPECT_EQ(Snapshot(copy), ExpectedDefaults()) << len;
    EXPECT_FALSE(copy.IsModified()) << len;
  }
}

TEST_F(PropExchangeTest, CorruptAndRandomBytesAreRefusedOrLoadCleanly) {
  const std::vector<uint8_t> good = Bytes(m_ctrl);
  CVelmaricAECtrl copy;

  // Another major version; a face name longer than a font can have.
  std::vector<uint8_t> v2 = good;
  v2[2] = 2;
  ByteReader in2(v2);
  Change(copy);
  EXPECT_FALSE(copy.LoadFromBytes(in2));
  EXPECT_EQ(Snapshot(copy), ExpectedDefaults());

  std::vector<uint8_t> longName = good;
  longName[16] = 200;  // after version, extent and BackColor: the face name's length
  ByteReader in3(longName);
  Change(copy);
  EXPECT_FALSE(copy.LoadFromBytes(in3));
  EXPECT_EQ(Snapshot(copy), ExpectedDefaults());

  // Random bytes, and the good form with random bytes flipped: the reader
  // never runs past its buffer (the sanitizers watch), and a refusal always
  // leaves the defaults.
  std::mt19937 rng(42);
  int refused = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes;
    if (round % 2) {
      bytes = good;
      for (int k = 0; k < 3; ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    } else {
      bytes.resize(rng() % 300);
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    }
    Change(copy);
    ByteReader in(bytes);
    if (!copy.LoadFromBytes(in)) {
      ++refused;
      ASSERT_EQ(Snapshot(copy), ExpectedDefaults()) << round;
    }
    EXPECT_FALSE(copy.IsModified());
  }
  EXPECT_GE(refused, 1000);  // at least every purely random buffer
}

}  // namespace

namespace {

// A face name is at most 31 units, as in a font: a longer one from a bag (or
// set through automation) is cut, so that the set still saves as a stream
// that loads back instead of one refused as corrupt.
TEST_F(PropExchangeTest, AFaceNameLongerThanAFontTakesIsCutAndTheStreamLoadsBack) {
  FontDesc f;
  f.name = String(40, u'x');
  m_ctrl.SetFont(f);
  CVelmaricAECtrl copy;
  std::vector<uint8_t> bytes = Bytes(m_ctrl);
  ByteReader in(bytes);
  ASSERT_TRUE(copy.LoadFromBytes(in));
  EXPECT_EQ(copy.GetFont().name, String(31, u'x'));

  // From a bag: cut on loading; a surrogate pair at the cut goes whole.
  MemoryPropertyBag bag;
  m_ctrl.SaveToBag(bag);
  bag.m_values[u"Font"].font.name = String(30, u'a') + u"\U0001F600b";
  copy.LoadFromBag(bag);
  EXPECT_EQ(copy.GetFont().name, String(30, u'a'));
  bag.m_values[u"Font"].font.name = String(32, u'y');
  copy.LoadFromBag(bag);
  EXPECT_EQ(copy.GetFont().name, String(31, u'y'));
  bytes = Bytes(copy);
  CVelmaricAECtrl again;
  ByteReader in2(bytes);
  ASSERT_TRUE(again.LoadFromBytes(in2));
  EXPECT_EQ(Snapshot(again), Snapshot(copy));
}

}  // namespace
