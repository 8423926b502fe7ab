// The page framework's rules: what an integer field accepts, the standard
// prompts, refusal without writing, dirty tracking and several objects. Run on
// the General page over real controls.
#include <gtest/gtest.h>

#include "pages/VelmaricAEPropPage.h"
#include "resources/resource.h"
#include "tests/native/pages/ControlObjects.h"

namespace {

TEST(ParseInteger, AcceptsSignedDecimalsWithSurroundingBlanksOnly) {
  struct Case {
    const char16_t* text;
    bool isInteger;
    int64_t value;
  } cases[] = {{u"0", true, 0},       {u" 42 ", true, 42},  {u"-1", true, -1},  {u"+7", true, 7},
               {u"70000", true, 70000}, {u"", false, 0},   {u"  ", false, 0},  {u"-", false, 0},
               {u"abc", false, 0},    {u"12a", false, 0},   {u"1 2", false, 0}, {u"0x10", false, 0},
               {u"1.5", false, 0}};
  for (const Case& c : cases) {
    const ParsedInteger p = ParseInteger(c.text);
    EXPECT_EQ(p.isInteger, c.isInteger) << std::string(c.text, c.text + String(c.text).size());
    if (c.isInteger) {
      EXPECT_EQ(p.value, c.value);
    }
  }
  // A run of digits far beyond 64 bits is still an integer, and out of any 16-bit range.
  const ParsedInteger huge = ParseInteger(u"123456789012345678901234567890");
  EXPECT_TRUE(huge.isInteger);
  EXPECT_GT(huge.value, 32767);
  EXPECT_LT(ParseInteger(u"-123456789012345678901234567890").value, -32768);
}

TEST(GeneralPage, OpensWithTheNewControlsValues) {
  CVelmaricAECtrl c;
  OpenPage<CVelmaricAEPropPage> p({&c});
  EXPECT_EQ(p.port.m_text[IDC_WATCHDOG_TIMEOUT], u"15");
  for (int id : {IDC_ADD_NEW_EVENTS_TO_BOTTOM, IDC_LOCALIZE_TIMESTAMPS, IDC_SUPPRESS_ACKN_EVENTS,
                 IDC_SUPPRESS_RESET_EVENTS})
    EXPECT_FALSE(p.port.m_checks[id]) << id;
  EXPECT_FALSE(p.page.IsModified());  // filling the fields is not an edit
  EXPECT_TRUE(p.site.m_changes.empty());
}

TEST(GeneralPage, BoundsAreAcceptedAndValuesOutsideRefusedWithoutWriting) {
  CVelmaricAECtrl c;
  OpenPage<CVelmaricAEPropPage> p({&c});
  for (const char16_t* ok : {u"0", u"300"}) {
    p.port.Type(IDC_WATCHDOG_TIMEOUT, ok);
    EXPECT_TRUE(p.page.Apply());
    EXPECT_EQ(Prop(c, u"WatchdogTimeout"), Value::I2(static_cast<int16_t>(ParseInteger(ok).value)));
  }
  EXPECT_TRUE(p.port.m_alerts.empty());

  struct Refused {
    const char16_t* text;
    const char16_t* prompt;
  } refused[] = {{u"-1", u"Please enter an integer between 0 and 300."},
                 {u"301", u"Please enter an integer between 0 and 300."},
                 // 70000 would wrap to 4464 in 16 bits, which is in range: it must not.
                 {u"70000", u"Please enter an integer between 0 and 300."},
                 {u"65836", u"Please enter an integer between 0 and 300."},
                 {u"abc", u"Please enter an integer."},
                 {u"", u"Please enter an integer."}};
  for (const Refused& r : refused) {
    c.SetModifiedFlag(false);
    p.objects.m_puts.clear();
    p.port.m_alerts.clear();
    p.port.m_focus = 0;
    p.port.Click(IDC_LOCALIZE_TIMESTAMPS);  // an edit of another field waits with the rest
    p.port.Type(IDC_WATCHDOG_TIMEOUT, r.text);
    EXPECT_FALSE(p.page.Apply());
    ASSERT_EQ(p.port.m_alerts.size(), 1u);
    EXPECT_EQ(p.port.m_alerts[0], r.prompt);
    EXPECT_EQ(p.port.m_focus, IDC_WATCHDOG_TIMEOUT);
    EXPECT_TRUE(p.objects.m_puts.empty());
    EXPECT_FALSE(c.IsModified());
    EXPECT_EQ(Prop(c, u"WatchdogTimeout"), Value::I2(300));
    EXPECT_EQ(Prop(c, u"LocalizeTimestamps"), Value::Bool(false));
    EXPECT_TRUE(p.page.IsModified());
    p.port.Click(IDC_LOCALIZE_TIMESTAMPS);
  }
}

TEST(GeneralPage, AValueSetAboveRangeShowsAndIsRefusedUntilCorrected) {
  CVelmaricAECtrl c;
  SetProp(c, u"WatchdogTimeout", Value::I2(1000));
  OpenPage<CVelmaricAEPropPage> p({&c});
  EXPECT_EQ(p.port.m_text[IDC_WATCHDOG_TIMEOUT], u"1000");
  EXPECT_FALSE(p.page.Apply());
  EXPECT_EQ(p.port.m_alerts.back(), u"Please enter an integer between 0 and 300.");
  p.port.Type(IDC_WATCHDOG_TIMEOUT, u"60");
  EXPECT_TRUE(p.page.Apply());
  EXPECT_EQ(Prop(c, u"WatchdogTimeout"), Value::I2(60));
}

TEST(GeneralPage, ApplyWritesEveryBoundPropertyToEveryObjectInExchangeOrder) {
  CVelmaricAECtrl a, b;
  SetProp(b, u"WatchdogTimeout", Value::I2(99));
  OpenPage<CVelmaricAEPropPage> p({&a, &b});
  EXPECT_EQ(p.port.m_text[IDC_WATCHDOG_TIMEOUT], u"15");  // the first object's values
  p.port.Click(IDC_ADD_NEW_EVENTS_TO_BOTTOM);
  p.port.Click(IDC_SUPPRESS_RESET_EVENTS);
  ASSERT_TRUE(p.page.Apply());
  for (CVelmaricAECtrl* c : {&a, &b}) {
    EXPECT_EQ(Prop(*c, u"WatchdogTimeout"), Value::I2(15));
    EXPECT_EQ(Prop(*c, u"AddNewEventsToBottom"), Value::Bool(true));
    EXPECT_EQ(Prop(*c, u"LocalizeTimestamps"), Value::Bool(false));
    EXPECT_EQ(Prop(*c, u"SuppressResetEvents"), Value::Bool(true));
    EXPECT_TRUE(c->IsModified());
  }
  const std::vector<String> order = {u"WatchdogTimeout", u"AddNewEventsToBottom", u"LocalizeTimestamps",
                                     u"SuppressAcknEvents", u"SuppressResetEvents"};
  EXPECT_EQ(p.objects.m_puts, order);
}

TEST(GeneralPage, EditsMarkThePageDirtyOnceAndApplyCleansIt) {
  CVelmaricAECtrl c;
  OpenPage<CVelmaricAEPropPage> p({&c});
  p.port.Type(IDC_WATCHDOG_TIMEOUT, u"20");
  p.port.Type(IDC_WATCHDOG_TIMEOUT, u"21");
  p.port.Click(IDC_LOCALIZE_TIMESTAMPS);
  EXPECT_TRUE(p.page.IsModified());
  EXPECT_EQ(p.site.m_changes, std::vector<uint32_t>{kPageStatusDirty});
  ASSERT_TRUE(p.page.Apply());
  EXPECT_FALSE(p.page.IsModified());
  p.port.Click(IDC_LOCALIZE_TIMESTAMPS);
  EXPECT_EQ(p.site.m_changes.size(), 2u);
  // A command from a field that is not bound changes nothing.
  p.port.Press(4711);
  EXPECT_EQ(p.site.m_changes.size(), 2u);
}

TEST(GeneralPage, EditPropertyFindsTheFieldByDispatchId) {
  CVelmaricAECtrl c;
  OpenPage<CVelmaricAEPropPage> p({&c});
  EXPECT_EQ(p.page.FieldForDispId(1), IDC_WATCHDOG_TIMEOUT);
  EXPECT_EQ(p.page.FieldForDispId(5), IDC_SUPPRESS_RESET_EVENTS);
  EXPECT_EQ(p.page.FieldForDispId(25), 0);  // a severity bound: another page's
}

TEST(GeneralPage, ApplyWithoutAWindowWritesNothing) {
  CVelmaricAECtrl c;
  CVelmaricAEPropPage page;
  ControlObjects objects({&c});
  page.SetObjects(&objects);
  EXPECT_FALSE(page.Apply());
  EXPECT_TRUE(objects.m_puts.empty());
}

}  // namespace
