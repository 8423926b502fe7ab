// What every page answers as an IPropertyPage2, whatever its fields: page
// information, activation, objects, accelerators, EditProperty, references.
#include "tests/wine/pages/PageHarness.h"

namespace {

using PageObject = PageFixture;

struct Expected {
  const CLSID* clsid;
  const wchar_t* title;
  int firstField;
};
const Expected kPages[] = {{&kClsidGeneralPage, L"General", 211},
                           {&kClsidColumnsPage, L"Column widths and positions", 216},
                           {&kClsidSeverityPage, L"Severities / color map", 222},
                           {&kClsidHidePage, L"Run-mode functions enablement", 231}};

TEST_F(PageObject, PageInfoGivesTheCaptionAndTheTemplatesSizeInItsFont) {
  for (const Expected& e : kPages) {
    Open(*e.clsid);
    PROPPAGEINFO info = {};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, e.title);
    // 250 by 110 dialog units, as the dialog manager maps them in the template's font.
    RECT units = {0, 0, 250, 110};
    ASSERT_TRUE(MapDialogRect(m_dialog, &units));
    EXPECT_EQ(info.size.cx, units.right) << info.pszTitle;
    EXPECT_EQ(info.size.cy, units.bottom);
    EXPECT_EQ(info.pszDocString, nullptr);
    EXPECT_EQ(info.pszHelpFile, nullptr);
    EXPECT_EQ(info.dwHelpContext, 0u);
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(m_page->Help(nullptr), E_NOTIMPL);
    Close();
  }
}

TEST_F(PageObject, ActivateShowMoveAndDeactivateDriveTheChildDialog) {
  Open(kClsidGeneralPage);
  EXPECT_TRUE(IsWindowVisible(m_dialog));
  EXPECT_TRUE(GetWindowLongW(m_dialog, GWL_STYLE) & WS_CHILD);
  RECT r = {20, 30, 320, 230};
  EXPECT_EQ(m_page->Move(&r), S_OK);
  RECT got;
  GetWindowRect(m_dialog, &got);
  MapWindowPoints(nullptr, m_frame, reinterpret_cast<POINT*>(&got), 2);
  EXPECT_EQ(got.left, 20);
  EXPECT_EQ(got.top, 30);
  EXPECT_EQ(m_page->Show(SW_HIDE), S_OK);
  EXPECT_FALSE(IsWindowVisible(m_dialog));
  EXPECT_EQ(m_page->Activate(m_frame, &r, TRUE), E_UNEXPECTED);  // already active
  HWND dialog = m_dialog;
  EXPECT_EQ(m_page->Deactivate(), S_OK);
  EXPECT_FALSE(IsWindow(dialog));
  // Active again: the fields are filled again.
  EXPECT_EQ(m_page->Activate(m_frame, &r, TRUE), S_OK);
  m_dialog = GetWindow(m_frame, GW_CHILD);
  EXPECT_EQ(Text(211), L"15");
}

TEST_F(PageObject, EditPropertyFocusesTheBoundFieldOfEachPage) {
  for (const Expected& e : kPages) {
    Open(*e.clsid);
    DISPID id = 0;
    const wchar_t* names[] = {L"WatchdogTimeout", L"Field0Width", L"SeverityA", L"HideClearAllMenuItem"};
    VARIANT v;
    ASSERT_EQ(GetProp(m_controls[0], names[&e - kPages], &v, &id), S_OK);
    VariantClear(&v);
    EXPECT_EQ(m_page->EditProperty(id), S_OK);
    EXPECT_EQ(GetFocus(), Item(e.firstField)) << e.firstField;
    EXPECT_EQ(m_page->EditProperty(DISPID_FONT), E_NOTIMPL);  // on no page of ours
    Close();
  }
}

TEST_F(PageObject, TranslateAcceleratorAnswersForThePagesOwnWindowsOnly) {
  Open(kClsidGeneralPage);
  MSG tab = {Item(211), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_EQ(m_page->TranslateAccelerator(&tab), S_OK);
  MSG foreign = {m_frame, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_EQ(m_page->TranslateAccelerator(&foreign), S_FALSE);
  EXPECT_EQ(m_page->TranslateAccelerator(nullptr), E_POINTER);
}

TEST_F(PageObject, SetObjectsRefusesObjectsWithoutAutomationAndKeepsTheOldOnes) {
  IDispatch* c = NewControl();
  Open(kClsidGeneralPage);
  IUnknown* site = m_site;  // has no IDispatch
  EXPECT_EQ(m_page->SetObjects(1, &site), E_NOINTERFACE);
  SetText(211, L"33");
  EXPECT_EQ(Apply(), S_OK);
  EXPECT_EQ(Short(c, L"WatchdogTimeout"), 33);
  EXPECT_EQ(m_page->SetObjects(1, nullptr), E_POINTER);
}

TEST_F(PageObject, ApplyWithoutObjectsIsUnexpected) {
  Open(kClsidHidePage);
  ASSERT_EQ(m_page->SetObjects(0, nullptr), S_OK);
  EXPECT_EQ(m_page->Apply(), E_UNEXPECTED);
}

TEST_F(PageObject, ANewObjectSetOnAnOpenPageIsShown) {
  NewControl();
  Open(kClsidSeverityPage);
  IDispatch* other = NewControl();
  PutShort(other, L"SeverityA", 5);
  IUnknown* obj = other;
  ASSERT_EQ(m_page->SetObjects(1, &obj), S_OK);
  EXPECT_EQ(Text(222), L"5");
  EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
}

}  // namespace
