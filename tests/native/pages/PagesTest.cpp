// The Columns, Severity and Run-mode functions pages over real controls.
#include <gtest/gtest.h>

#include "pages/ColumnsPpg.h"
#include "pages/HidePpg.h"
#include "pages/SeverityPpg.h"
#include "resources/resource.h"
#include "tests/native/pages/ControlObjects.h"

namespace {

std::vector<String> Rows(HeadlessListBox& list) {
  std::vector<String> rows;
  for (auto& r : list.m_rows) rows.push_back(r.text);
  return rows;
}

std::vector<intptr_t> Data(HeadlessListBox& list) {
  std::vector<intptr_t> data;
  for (auto& r : list.m_rows) data.push_back(r.data);
  return data;
}

const std::vector<String> kNatural = {u"Rank", u"Timestamp", u"Source", u"Message", u"Category", u"Severity"};

TEST(ColumnsPage, OpensWithNaturalOrderRankSelectedAndTheDefaultWidths) {
  CVelmaricAECtrl c;
  OpenPage<ColumnsPpg> p({&c});
  HeadlessListBox& list = p.port.m_lists[IDC_ORDER_LIST];
  EXPECT_EQ(Rows(list), kNatural);
  EXPECT_EQ(Data(list), (std::vector<intptr_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(list.m_sel, 0);
  const char16_t* widths[] = {u"8", u"40", u"40", u"48", u"32", u"12"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(p.port.m_text[IDC_FIELD0_WIDTH + k], widths[k]) << k;
  EXPECT_EQ(p.port.m_text[IDC_FIELD_ORDER], u"012345");
  EXPECT_FALSE(p.page.IsModified());
}

TEST(ColumnsPage, UpOnTheFirstRowAndDownOnTheLastDoNothing) {
  CVelmaricAECtrl c;
  OpenPage<ColumnsPpg> p({&c});
  HeadlessListBox& list = p.port.m_lists[IDC_ORDER_LIST];
  p.port.Press(IDC_MOVE_UP);
  list.m_sel = 5;
  p.port.Press(IDC_MOVE_DOWN);
  list.m_sel = kListBoxError;
  p.port.Press(IDC_MOVE_DOWN);
  EXPECT_EQ(Rows(list), kNatural);
  EXPECT_EQ(p.port.m_text[IDC_FIELD_ORDER], u"012345");
  EXPECT_FALSE(p.page.IsModified());
}

TEST(ColumnsPage, TimestampUpGives102345AndApplySetsOnlyTheOrder) {
  CVelmaricAECtrl c;
  SetProp(c, u"Field1Width", Value::I2(77));
  OpenPage<ColumnsPpg> p({&c});
  HeadlessListBox& list = p.port.m_lists[IDC_ORDER_LIST];
  list.m_sel = 1;
  p.port.Press(IDC_MOVE_UP);
  EXPECT_EQ(Rows(list), (std::vector<String>{u"Timestamp", u"Rank", u"Source", u"Message", u"Category", u"Severity"}));
  EXPECT_EQ(list.m_sel, 0);
  EXPECT_EQ(p.port.m_text[IDC_FIELD_ORDER], u"102345");
  EXPECT_TRUE(p.page.IsModified());
  EXPECT_EQ(p.site.m_changes, std::vector<uint32_t>{kPageStatusDirty});
  // The Timestamp width stays with its column.
  EXPECT_EQ(p.port.m_text[IDC_FIELD1_WIDTH], u"77");
  ASSERT_TRUE(p.page.Apply());
  EXPECT_EQ(Prop(c, u"FieldOrder"), Value::Str(u"102345"));
  const int16_t widths[] = {8, 77, 40, 48, 32, 12};
  for (int k = 0; k < 6; ++k) {
    const char16_t name[] = {u'F', u'i', u'e', u'l', u'd', char16_t(u'0' + k), u'W', u'i', u'd', u't', u'h', 0};
    EXPECT_EQ(Prop(c, name), Value::I2(widths[k])) << k;
  }
}

TEST(ColumnsPage, RowsCarryTheirColumnThroughSeveralMoves) {
  CVelmaricAECtrl c;
  OpenPage<ColumnsPpg> p({&c});
  HeadlessListBox& list = p.port.m_lists[IDC_ORDER_LIST];
  // Severity to the top, then Rank to the bottom.
  list.m_sel = 5;
  for (int k = 0; k < 6; ++k) p.port.Press(IDC_MOVE_UP);
  list.m_sel = 1;
  for (int k = 0; k < 6; ++k) p.port.Press(IDC_MOVE_DOWN);
  EXPECT_EQ(p.port.m_text[IDC_FIELD_ORDER], u"512340");
  EXPECT_EQ(Rows(list), (std::vector<String>{u"Severity", u"Timestamp", u"Source", u"Message", u"Category", u"Rank"}));
  ASSERT_TRUE(p.page.Apply());
  EXPECT_EQ(Prop(c, u"FieldOrder"), Value::Str(u"512340"));
}

TEST(ColumnsPage, AStoredOrderIsListedAndAMalformedOneShownNatural) {
  struct Case {
    const char16_t* order;
    std::vector<intptr_t> rows;
  } cases[] = {{u"543210", {5, 4, 3, 2, 1, 0}},
               {u"102345", {1, 0, 2, 3, 4, 5}},
               {u"", {0, 1, 2, 3, 4, 5}},
               {u"0123", {0, 1, 2, 3, 4, 5}},
               {u"001234", {0, 1, 2, 3, 4, 5}},
               {u"01234A", {0, 1, 2, 3, 4, 5}},
               {u"9999999999", {0, 1, 2, 3, 4, 5}},
               {u"012345678", {0, 1, 2, 3, 4, 5}}};
  for (const Case& k : cases) {
    CVelmaricAECtrl c;
    SetProp(c, u"FieldOrder", Value::Str(k.order));
    OpenPage<ColumnsPpg> p({&c});
    HeadlessListBox& list = p.port.m_lists[IDC_ORDER_LIST];
    EXPECT_EQ(Data(list), k.rows) << std::string(k.order, k.order + String(k.order).size());
    EXPECT_EQ(list.m_sel, 0);
    // The stored text is left as it is until the user moves a row...
    EXPECT_EQ(p.port.m_text[IDC_FIELD_ORDER], k.order);
    // ...and a move writes a proper order.
    list.m_sel = 2;
    p.port.Press(IDC_MOVE_UP);
    EXPECT_EQ(p.port.m_text[IDC_FIELD_ORDER].size(), 6u);
  }
}

TEST(ColumnsPage, WidthBoundsAreAcceptedAndValuesOutsideRefused) {
  CVelmaricAECtrl c;
  OpenPage<ColumnsPpg> p({&c});
  p.port.Type(IDC_FIELD2_WIDTH, u"0");
  p.port.Type(IDC_FIELD3_WIDTH, u"240");
  ASSERT_TRUE(p.page.Apply());
  EXPECT_EQ(Prop(c, u"Field2Width"), Value::I2(0));
  EXPECT_EQ(Prop(c, u"Field3Width"), Value::I2(240));
  for (const char16_t* bad : {u"241", u"-1"}) {
    p.port.m_alerts.clear();
    p.objects.m_puts.clear();
    p.port.Type(IDC_FIELD5_WIDTH, bad);
    EXPECT_FALSE(p.page.Apply());
    ASSERT_EQ(p.port.m_alerts.size(), 1u);
    EXPECT_EQ(p.port.m_alerts[0], u"Please enter an integer between 0 and 240.");
    EXPECT_EQ(p.port.m_focus, IDC_FIELD5_WIDTH);
    EXPECT_TRUE(p.objects.m_puts.empty());
  }
  EXPECT_EQ(Prop(c, u"Field5Width"), Value::I2(12));
}

TEST(ColumnsPage, ReopeningAttachesToTheNewWindowsList) {
  CVelmaricAECtrl c;
  { OpenPage<ColumnsPpg> p({&c}); }
  ColumnsPpg page;
  ControlObjects objects({&c});
  page.SetObjects(&objects);
  for (int round = 0; round < 2; ++round) {
    HeadlessUi::Dialog port(page);
    page.Attach(port);
    EXPECT_EQ(Rows(port.m_lists[IDC_ORDER_LIST]), kNatural) << round;
    page.Detach();
  }
}

TEST(SeverityPage, OpensWithTheDefaultBoundsAndChecksEachAgainst1To999Only) {
  CVelmaricAECtrl c;
  OpenPage<SeverityPpg> p({&c});
  const char16_t* opened[] = {u"1", u"200", u"400", u"600", u"800"};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(p.port.m_text[IDC_SEVERITY_A + k], opened[k]);

  // Bounds out of order are written as entered.
  p.port.Type(IDC_SEVERITY_A, u"999");
  p.port.Type(IDC_SEVERITY_B, u"1");
  ASSERT_TRUE(p.page.Apply());
  EXPECT_EQ(Prop(c, u"SeverityA"), Value::I2(999));
  EXPECT_EQ(Prop(c, u"SeverityB"), Value::I2(1));

  for (const char16_t* bad : {u"0", u"1000"}) {
    p.port.m_alerts.clear();
    p.port.Type(IDC_SEVERITY_C, bad);
    EXPECT_FALSE(p.page.Apply());
    EXPECT_EQ(p.port.m_alerts.at(0), u"Please enter an integer between 1 and 999.");
    EXPECT_EQ(p.port.m_focus, IDC_SEVERITY_C);
  }
  p.port.m_alerts.clear();
  p.port.Type(IDC_SEVERITY_C, u"");
  p.port.Type(IDC_SEVERITY_D, u"0");
  EXPECT_FALSE(p.page.Apply());
  // The first failing field in exchange order is the one reported.
  EXPECT_EQ(p.port.m_alerts, std::vector<String>{u"Please enter an integer."});
  EXPECT_EQ(p.port.m_focus, IDC_SEVERITY_C);
  EXPECT_EQ(Prop(c, u"SeverityC"), Value::I2(400));
}

TEST(SeverityPage, ABoundSetAboveRangeShowsAndIsRefused) {
  CVelmaricAECtrl c;
  SetProp(c, u"SeverityE", Value::I2(5000));
  OpenPage<SeverityPpg> p({&c});
  EXPECT_EQ(p.port.m_text[IDC_SEVERITY_E], u"5000");
  EXPECT_FALSE(p.page.Apply());
  EXPECT_EQ(p.port.m_focus, IDC_SEVERITY_E);
}

TEST(HidePage, OpensWithOnlyHideResetTickedAndWritesTheFourFlags) {
  CVelmaricAECtrl c;
  OpenPage<HidePpg> p({&c});
  EXPECT_FALSE(p.port.m_checks[IDC_HIDE_CONNECTION]);
  EXPECT_FALSE(p.port.m_checks[IDC_HIDE_CLEAR_ALL]);
  EXPECT_TRUE(p.port.m_checks[IDC_HIDE_RESET]);
  EXPECT_FALSE(p.port.m_checks[IDC_DISABLE_SIZING]);

  p.port.Click(IDC_HIDE_RESET);
  p.port.Click(IDC_DISABLE_SIZING);
  p.port.Click(IDC_HIDE_CONNECTION);
  ASSERT_TRUE(p.page.Apply());
  EXPECT_EQ(Prop(c, u"HideResetPropertiesMenuItem"), Value::Bool(false));
  EXPECT_EQ(Prop(c, u"DisableColumnSizing"), Value::Bool(true));
  EXPECT_EQ(Prop(c, u"HideConnectionMenuItems"), Value::Bool(true));
  EXPECT_EQ(Prop(c, u"HideClearAllMenuItem"), Value::Bool(false));
  EXPECT_EQ(p.objects.m_puts, (std::vector<String>{u"HideClearAllMenuItem", u"HideResetPropertiesMenuItem",
                                                   u"DisableColumnSizing", u"HideConnectionMenuItems"}));

  // Resetting the control brings the flag back, and the page shows it next time.
  c.ResetProperties();
  OpenPage<HidePpg> again({&c});
  EXPECT_TRUE(again.port.m_checks[IDC_HIDE_RESET]);
  EXPECT_FALSE(again.port.m_checks[IDC_DISABLE_SIZING]);
}

TEST(HidePage, MembersStartAsConstructed) {
  HidePpg page;
  EXPECT_EQ(page.m_bHideClearAll, 0);
  EXPECT_EQ(page.m_bHideReset, 1);
  EXPECT_EQ(page.m_bDisableSizing, 0);
  EXPECT_EQ(page.m_bHideConnection, 0);
}

}  // namespace
