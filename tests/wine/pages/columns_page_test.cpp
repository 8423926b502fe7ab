// The Columns page on a real control: the order list, Up and Down, the order
// text in the hidden field, the width bounds.
#include "tests/wine/pages/PageHarness.h"

namespace {

constexpr int kOrder = 215, kWidth0 = 216, kList = 227, kUp = 228, kDown = 229;

class ColumnsPage : public PageFixture {
 protected:
  std::vector<std::wstring> Rows() {
    std::vector<std::wstring> rows;
    const int n = static_cast<int>(SendMessageW(Item(kList), LB_GETCOUNT, 0, 0));
    for (int k = 0; k < n; ++k) {
      wchar_t text[64] = {};
      SendMessageW(Item(kList), LB_GETTEXT, k, reinterpret_cast<LPARAM>(text));
      rows.push_back(text);
    }
    return rows;
  }
  int Selected() { return static_cast<int>(SendMessageW(Item(kList), LB_GETCURSEL, 0, 0)); }
  void Select(int row) { SendMessageW(Item(kList), LB_SETCURSEL, row, 0); }
  void Press(int button) { Click(button); }
};

const std::vector<std::wstring> kNatural = {L"Rank", L"Timestamp", L"Source", L"Message", L"Category", L"Severity"};

TEST_F(ColumnsPage, OpensWithTheNaturalOrderRankSelectedAndTheDefaultWidths) {
  Open(kClsidColumnsPage);
  EXPECT_EQ(Rows(), kNatural);
  EXPECT_EQ(Selected(), 0);
  const wchar_t* widths[] = {L"8", L"40", L"40", L"48", L"32", L"12"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Text(kWidth0 + k), widths[k]) << k;
  EXPECT_EQ(Text(kOrder), L"012345");
  EXPECT_FALSE(IsWindowVisible(Item(kOrder)));
  EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
}

TEST_F(ColumnsPage, UpOnTheFirstRowAndDownOnTheLastDoNothing) {
  Open(kClsidColumnsPage);
  Press(kUp);
  Select(5);
  Press(kDown);
  EXPECT_EQ(Rows(), kNatural);
  EXPECT_EQ(Selected(), 5);
  EXPECT_EQ(Text(kOrder), L"012345");
  EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
}

TEST_F(ColumnsPage, TimestampUpGives102345AndApplySetsTheOrderAlone) {
  IDispatch* c = NewControl();
  PutShort(c, L"Field1Width", 70);
  Open(kClsidColumnsPage);
  Select(1);
  Press(kUp);
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Timestamp", L"Rank", L"Source", L"Message", L"Category", L"Severity"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(Text(kOrder), L"102345");
  EXPECT_EQ(m_page->IsPageDirty(), S_OK);
  EXPECT_FALSE(m_site->m_changes.empty());
  EXPECT_EQ(Text(kWidth0 + 1), L"70");  // the width stays with its column
  ASSERT_EQ(Apply(), S_OK);
  EXPECT_EQ(Str(c, L"FieldOrder"), L"102345");
  const short widths[] = {8, 70, 40, 48, 32, 12};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Short(c, (L"Field" + std::to_wstring(k) + L"Width").c_str()), widths[k]);
}

TEST_F(ColumnsPage, AStoredOrderIsListedAndAMalformedOneIsShownNatural) {
  IDispatch* c = NewControl();
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"543210");
  ASSERT_EQ(PutProp(c, L"FieldOrder", v), S_OK);
  VariantClear(&v);
  Open(kClsidColumnsPage);
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Severity", L"Category", L"Message", L"Source", L"Timestamp", L"Rank"}));
  Close();

  for (const wchar_t* bad : {L"", L"0123", L"001234", L"01234A", L"99999999"}) {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(bad);
    ASSERT_EQ(PutProp(c, L"FieldOrder", v), S_OK);
    VariantClear(&v);
    Open(kClsidColumnsPage);
    EXPECT_EQ(Rows(), kNatural) << bad;
    EXPECT_EQ(Selected(), 0);
    Select(3);
    Press(kDown);
    EXPECT_EQ(Text(kOrder), L"012435");
    Close();
  }
}

TEST_F(ColumnsPage, WidthBoundsAreAcceptedAndValuesOutsideRefused) {
  IDispatch* c = NewControl();
  Open(kClsidColumnsPage);
  SetText(kWidth0 + 2, L"0");
  SetText(kWidth0 + 3, L"240");
  ASSERT_EQ(Apply(), S_OK);
  EXPECT_EQ(Short(c, L"Field2Width"), 0);
  EXPECT_EQ(Short(c, L"Field3Width"), 240);
  for (const wchar_t* bad : {L"241", L"-1"}) {
    SetText(kWidth0 + 4, bad);
    ExpectRefused(L"Please enter an integer between 0 and 240.", kWidth0 + 4);
    EXPECT_EQ(Short(c, L"Field4Width"), 32);
  }
}

}  // namespace
