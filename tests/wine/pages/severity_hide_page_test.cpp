// The Severity and Run-mode functions pages on a real control.
#include "tests/wine/pages/PageHarness.h"

namespace {

constexpr int kSeverityA = 222;
constexpr int kHideConnection = 230, kHideClearAll = 231, kHideReset = 232, kDisableSizing = 233;

using SeverityPage = PageFixture;
using HidePage = PageFixture;

TEST_F(SeverityPage, OpensWithTheDefaultBoundsAndChecksEachAgainst1To999) {
  IDispatch* c = NewControl();
  Open(kClsidSeverityPage);
  const wchar_t* opened[] = {L"1", L"200", L"400", L"600", L"800"};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(Text(kSeverityA + k), opened[k]);

  // Out of order is written as entered.
  SetText(kSeverityA, L"999");
  SetText(kSeverityA + 1, L"1");
  ASSERT_EQ(Apply(), S_OK);
  EXPECT_EQ(Short(c, L"SeverityA"), 999);
  EXPECT_EQ(Short(c, L"SeverityB"), 1);

  for (const wchar_t* bad : {L"0", L"1000"}) {
    SetText(kSeverityA + 2, bad);
    ExpectRefused(L"Please enter an integer between 1 and 999.", kSeverityA + 2);
  }
  SetText(kSeverityA + 2, L"");
  ExpectRefused(L"Please enter an integer.", kSeverityA + 2);
  EXPECT_EQ(Short(c, L"SeverityC"), 400);
}

TEST_F(SeverityPage, ABoundAboveRangeShowsAndIsRefused) {
  IDispatch* c = NewControl();
  PutShort(c, L"SeverityD", 1500);
  Open(kClsidSeverityPage);
  EXPECT_EQ(Text(kSeverityA + 3), L"1500");
  ExpectRefused(L"Please enter an integer between 1 and 999.", kSeverityA + 3);
}

TEST_F(HidePage, OpensWithOnlyHideResetTicked) {
  Open(kClsidHidePage);
  EXPECT_FALSE(Checked(kHideConnection));
  EXPECT_FALSE(Checked(kHideClearAll));
  EXPECT_TRUE(Checked(kHideReset));
  EXPECT_FALSE(Checked(kDisableSizing));
}

TEST_F(HidePage, ApplyWritesTheFlagsAndTheNextOpeningShowsTheControlsValues) {
  IDispatch* c = NewControl();
  Open(kClsidHidePage);
  Click(kHideReset);
  Click(kDisableSizing);
  EXPECT_EQ(m_page->IsPageDirty(), S_OK);
  ASSERT_EQ(Apply(), S_OK);
  EXPECT_FALSE(Bool(c, L"HideResetPropertiesMenuItem"));
  EXPECT_TRUE(Bool(c, L"DisableColumnSizing"));
  EXPECT_FALSE(Bool(c, L"HideClearAllMenuItem"));
  EXPECT_FALSE(Bool(c, L"HideConnectionMenuItems"));
  Close();

  PutBool(c, L"HideResetPropertiesMenuItem", true);
  Open(kClsidHidePage);
  EXPECT_TRUE(Checked(kHideReset));
  EXPECT_TRUE(Checked(kDisableSizing));
}

}  // namespace
