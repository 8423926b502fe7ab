// The control in Wine's ATL host: created by its ProgID from an "AtlAxWin"
// window, initialised as new, activated in place with its own child window,
// sized and moved by the host, and brought down with the host window.
#include <gtest/gtest.h>

#include "tests/wine/common/OcxModule.h"
#include "tests/wine/hosting/HostingSupport.h"

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

class AtlHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    m_atl = LoadLibraryW(L"atl.dll");
    ASSERT_NE(m_atl, nullptr) << "Wine's atl.dll did not load";
    auto init = reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(m_atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(m_atl, "AtlAxGetControl")));
    ASSERT_TRUE(init && getControl);
    // Once per process: a second call fails, the window class being registered.
    static const BOOL registered = init();
    ASSERT_TRUE(registered);

    m_form = CreateFormWindow(640, 480);
    ASSERT_NE(m_form, nullptr);
    m_host = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kWidth,
                             kHeight, m_form, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(m_host, nullptr);
    ASSERT_EQ(getControl(m_host, &m_control), S_OK) << "the host made no control from the ProgID";
    ASSERT_NE(m_control, nullptr);

    HMODULE ocx = GetModuleHandleW(L"Velmaric AE.ocx");
    ASSERT_NE(ocx, nullptr);
    m_canUnloadNow = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")));
    ASSERT_NE(m_canUnloadNow, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(ocx, path, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(path, OcxPath().c_str()), 0) << "the registered module is not the one built here";
    PumpPending();
  }

  void TearDown() override {
    if (m_form) DestroyWindow(m_form);
    PumpPending();
    if (m_control) m_control->Release();
    m_control = nullptr;
    PumpPending();
    OleUninitialize();
  }

  HWND ControlWindow() {
    IOleWindow* w = QueryAs<IOleWindow>(m_control, IID_IOleWindow);
    if (!w) return nullptr;
    HWND hwnd = nullptr;
    w->GetWindow(&hwnd);
    w->Release();
    return hwnd;
  }

  static constexpr int kWidth = 420, kHeight = 260;
  HMODULE m_atl = nullptr;
  HWND m_form = nullptr, m_host = nullptr;
  IUnknown* m_control = nullptr;
  HRESULT(WINAPI* m_canUnloadNow)() = nullptr;
};

TEST_F(AtlHost, ActivatesInPlaceAsAChildOfTheHostAtItsClientSize) {
  HWND hwnd = ControlWindow();
  ASSERT_NE(hwnd, nullptr) << "not in-place active: no window";
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(GetParent(hwnd), m_host);
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), GetCurrentThreadId());

  // The host's extent is computed wrongly; the window follows SetObjectRects.
  RECT r = RectInParent(hwnd);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, kWidth);
  EXPECT_EQ(r.bottom - r.top, kHeight);
}

TEST_F(AtlHost, NewControlHasItsDefaultsAndTheSiteNoAmbientProperties) {
  IOleObject* ole = QueryAs<IOleObject>(m_control, IID_IOleObject);
  ASSERT_NE(ole, nullptr);
  IOleClientSite* site = nullptr;
  ASSERT_EQ(ole->GetClientSite(&site), S_OK);
  ASSERT_NE(site, nullptr) << "the host did not set itself as the client site";
  IDispatch* ambient = QueryAs<IDispatch>(site, IID_IDispatch);
  EXPECT_EQ(ambient, nullptr);
  if (ambient) ambient->Release();
  site->Release();
  ole->Release();

  IDispatch* d = QueryAs<IDispatch>(m_control, IID_IDispatch);
  ASSERT_NE(d, nullptr);
  VARIANT v;
  // With no ambient colour the stock default is the window colour.
  ASSERT_EQ(GetProp(d, L"BackColor", &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(static_cast<DWORD>(V_I4(&v)), 0x80000005u);
  VariantClear(&v);
  ASSERT_EQ(GetProp(d, L"FieldOrder", &v), S_OK);
  ASSERT_EQ(V_VT(&v), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&v), L"012345");
  VariantClear(&v);
  ASSERT_EQ(GetProp(d, L"WatchdogTimeout", &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_I2);
  EXPECT_EQ(V_I2(&v), 15);
  ASSERT_EQ(GetProp(d, L"Field3Width", &v), S_OK);
  EXPECT_EQ(V_I2(&v), 48);
  ASSERT_EQ(GetProp(d, L"SeverityE", &v), S_OK);
  EXPECT_EQ(V_I2(&v), 800);
  ASSERT_EQ(GetProp(d, L"BackColorC", &v), S_OK);
  EXPECT_EQ(V_I4(&v), 0xFFFFFF);
  ASSERT_EQ(GetProp(d, L"HideResetPropertiesMenuItem", &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_BOOL);
  EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
  ASSERT_EQ(GetProp(d, L"AddNewEventsToBottom", &v), S_OK);
  EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);

  ASSERT_EQ(GetProp(d, L"Font", &v), S_OK);
  ASSERT_EQ(V_VT(&v), VT_DISPATCH);
  IFont* font = QueryAs<IFont>(V_DISPATCH(&v), IID_IFont);
  ASSERT_NE(font, nullptr);
  BSTR name = nullptr;
  font->get_Name(&name);
  EXPECT_STREQ(name, L"MS Sans Serif");
  SysFreeString(name);
  font->Release();
  VariantClear(&v);
  d->Release();
}

TEST_F(AtlHost, ControlWindowFollowsTheHostWhenItIsResized) {
  HWND hwnd = ControlWindow();
  ASSERT_NE(hwnd, nullptr);
  // WM_SIZE reaches the host synchronously; it passes the new rectangle on.
  ASSERT_TRUE(MoveWindow(m_host, 0, 0, 555, 199, TRUE));
  RECT r = RectInParent(hwnd);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 555);
  EXPECT_EQ(r.bottom - r.top, 199);
  // The client area is what the control's own scroll bars leave: the list
  // is wider than the window, so the horizontal bar shows.
  RECT client = {};
  GetClientRect(hwnd, &client);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_HSCROLL);
  EXPECT_EQ(client.right + ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0), 555);
  EXPECT_EQ(client.bottom + ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0), 199);

  ASSERT_TRUE(MoveWindow(m_host, 10, 10, 300, 120, TRUE));
  r = RectInParent(hwnd);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 120);
  EXPECT_EQ(GetParent(hwnd), m_host);
}

TEST_F(AtlHost, DestroyingTheHostClosesTheControlAndTheModuleCanUnload) {
  HWND hwnd = ControlWindow();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(m_canUnloadNow(), S_FALSE);  // our reference keeps the object

  ASSERT_TRUE(DestroyWindow(m_form));
  m_form = nullptr;
  PumpPending();
  EXPECT_FALSE(IsWindow(hwnd));

  // The host closed it and let go: ours is the last reference.
  IOleObject* ole = QueryAs<IOleObject>(m_control, IID_IOleObject);
  ASSERT_NE(ole, nullptr);
  IOleClientSite* site = reinterpret_cast<IOleClientSite*>(1);
  EXPECT_EQ(ole->GetClientSite(&site), S_OK);
  EXPECT_EQ(site, nullptr);
  ole->Release();
  EXPECT_EQ(m_control->Release(), 0u);
  m_control = nullptr;

  // Anything the host still had queued runs now; then nothing holds the module.
  HRESULT hr = S_FALSE;
  for (int pass = 0; pass < 10 && hr != S_OK; ++pass) {
    PumpPending();
    hr = m_canUnloadNow();
  }
  EXPECT_EQ(hr, S_OK);
}

}  // namespace
