// A page of the OCX driven through IPropertyPage from a frame of our own: a
// page site that records status changes, a parent window, and real controls
// from the OCX's factory as the page's objects. The page's fields are reached
// as a user reaches them, through its dialog window's controls.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/TestUnknown.h"
#include "tests/wine/common/UiRobot.h"

const CLSID kClsidGeneralPage = {0x32CCD6FC, 0xF82C, 0x463B, {0x9F, 0xC2, 0x45, 0xB9, 0xA9, 0x2A, 0x8B, 0x29}};
const CLSID kClsidColumnsPage = {0x6E93ECE3, 0xE790, 0x4D8F, {0xAE, 0x41, 0xBA, 0x78, 0x3B, 0x0A, 0x97, 0x88}};
const CLSID kClsidSeverityPage = {0x5F3AD30F, 0x3DC3, 0x4D1A, {0xAA, 0x7F, 0xEC, 0x97, 0xEB, 0x1E, 0x0A, 0x87}};
const CLSID kClsidHidePage = {0x0EA9C3B6, 0xBDF8, 0x415F, {0xA2, 0x46, 0xD5, 0x88, 0xAC, 0xB0, 0xDC, 0xC9}};

class TestPageSite : public TestUnknown<IPropertyPageSite> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPageSite)) {
      *ppv = static_cast<IPropertyPageSite*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP OnStatusChange(DWORD flags) override {
    m_changes.push_back(flags);
    return S_OK;
  }
  STDMETHODIMP GetLocaleID(LCID* lcid) override {
    *lcid = 0x0409;
    return S_OK;
  }
  STDMETHODIMP GetPageContainer(IUnknown** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

  std::vector<DWORD> m_changes;
};

inline LRESULT CALLBACK FrameWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

inline HWND CreateFrameWindow() {
  static ATOM atom = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmaricPageTestFrame";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  HWND frame = CreateWindowExW(0, L"VelmaricPageTestFrame", L"Page test frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               0, 0, 600, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(frame, SW_SHOW);
  return frame;
}

// A message box this thread shows, answered with OK.
struct Box {
  std::wstring text, caption;
};

class PageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_TRUE(m_ocx.Loaded());
    m_frame = CreateFrameWindow();
    ASSERT_NE(m_frame, nullptr);
  }
  void TearDown() override {
    Close();
    for (IDispatch* c : m_controls) c->Release();
    m_controls.clear();
    DestroyWindow(m_frame);
    EXPECT_EQ(m_ocx.CanUnloadNow(), S_OK) << "a page or a control was not released";
    CoUninitialize();
  }

  IDispatch* NewControl() {
    IDispatch* d = nullptr;
    EXPECT_EQ(m_ocx.Create(IID_IDispatch, &d), S_OK);
    if (d) m_controls.push_back(d);
    return d;
  }

  // Creates the page by its class id from the module's factory and opens it
  // on the controls (a new one if none was made), as a frame does.
  void Open(const CLSID& clsid) {
    if (m_controls.empty()) NewControl();
    IClassFactory* f = nullptr;
    ASSERT_EQ(m_ocx.Factory(clsid, &f), S_OK);
    ASSERT_EQ(f->CreateInstance(nullptr, IID_IPropertyPage2, reinterpret_cast<void**>(&m_page)), S_OK);
    f->Release();
    m_site = new TestPageSite();
    ASSERT_EQ(m_page->SetPageSite(m_site), S_OK);
    std::vector<IUnknown*> objects(m_controls.begin(), m_controls.end());
    ASSERT_EQ(m_page->SetObjects(static_cast<ULONG>(objects.size()), objects.data()), S_OK);
    RECT r = {10, 10, 510, 310};
    ASSERT_EQ(m_page->Activate(m_frame, &r, TRUE), S_OK);
    ASSERT_EQ(m_page->Show(SW_SHOW), S_OK);
    m_dialog = GetWindow(m_frame, GW_CHILD);
    ASSERT_NE(m_dialog, nullptr);
  }

  // Closes the page as a frame does and checks that it let go of the site.
  void Close() {
    if (!m_page) return;
    EXPECT_EQ(m_page->Deactivate(), S_OK);
    EXPECT_EQ(m_page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(m_page->SetPageSite(nullptr), S_OK);
    EXPECT_EQ(m_page->Release(), 0u);
    m_page = nullptr;
    EXPECT_EQ(m_site->Release(), 0u) << "the page kept a reference to its site";
    m_site = nullptr;
    m_dialog = nullptr;
  }

  HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
  std::wstring Text(int id) const {
    wchar_t text[256] = {};
    GetDlgItemTextW(m_dialog, id, text, 256);
    return text;
  }
  // Replaces the field's text; the edit control notifies the page.
  void SetText(int id, const wchar_t* text) { SetDlgItemTextW(m_dialog, id, text); }
  bool Checked(int id) const { return IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }

  // Apply, answering any message box the page shows with OK.
  HRESULT Apply(std::vector<Box>* boxes = nullptr) {
    UiRobot robot;
    std::vector<Box> seen;
    bool applying = true;
    robot.Then("answer the page's message boxes", [&] {
      if (HWND box = UiRobot::DialogWindow(nullptr)) {
        wchar_t caption[256] = {};
        GetWindowTextW(box, caption, 256);
        seen.push_back({UiRobot::BoxText(box), caption});
        SendMessageW(box, WM_COMMAND, IDOK, 0);
      }
      return !applying;
    });
    robot.Start(20);
    const HRESULT hr = m_page->Apply();
    applying = false;
    robot.Stop();
    if (boxes) *boxes = seen;
    return hr;
  }

  // Apply is refused with exactly this prompt, and the field has the focus.
  void ExpectRefused(const wchar_t* prompt, int field) {
    std::vector<Box> boxes;
    EXPECT_EQ(Apply(&boxes), E_FAIL);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, prompt);
    EXPECT_EQ(boxes[0].caption, L"Velmaric AE");
    EXPECT_EQ(GetFocus(), Item(field));
  }

  VARIANT Prop(IDispatch* d, const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(GetProp(d, name, &v), S_OK) << name;
    return v;
  }
  short Short(IDispatch* d, const wchar_t* name) {
    VARIANT v = Prop(d, name);
    return V_VT(&v) == VT_I2 ? V_I2(&v) : -32768;
  }
  bool Bool(IDispatch* d, const wchar_t* name) {
    VARIANT v = Prop(d, name);
    return V_VT(&v) == VT_BOOL && V_BOOL(&v);
  }
  std::wstring Str(IDispatch* d, const wchar_t* name) {
    VARIANT v = Prop(d, name);
    std::wstring s = V_VT(&v) == VT_BSTR && V_BSTR(&v) ? V_BSTR(&v) : L"";
    VariantClear(&v);
    return s;
  }
  void PutShort(IDispatch* d, const wchar_t* name, short value) {
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    EXPECT_EQ(PutProp(d, name, v), S_OK);
  }
  void PutBool(IDispatch* d, const wchar_t* name, bool value) {
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    EXPECT_EQ(PutProp(d, name, v), S_OK);
  }
  // The control's own modified state: a refused Apply must leave it clean.
  bool Dirty(IDispatch* d) {
    IPersistStreamInit* p = nullptr;
    if (FAILED(d->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)))) return true;
    const bool dirty = p->IsDirty() == S_OK;
    p->Release();
    return dirty;
  }

  OcxModule m_ocx;
  HWND m_frame = nullptr;
  HWND m_dialog = nullptr;
  IPropertyPage2* m_page = nullptr;
  TestPageSite* m_site = nullptr;
  std::vector<IDispatch*> m_controls;
};
