// The control in a site of our own: verbs, status flags, user type and page
// list; ambient colour and font as the defaults of a new control; in-place
// activation at the site's rectangle; property-change notification; and the
// simple-frame site's view of the control window's messages.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/common/NotifySink.h"
#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/PageList.h"
#include "tests/wine/hosting/TestSite.h"

namespace {

// Loaded once: controls stop their worker threads when they are destroyed,
// and the module stays until the process ends.
const OcxModule& Ocx() {
  static OcxModule* module = new OcxModule;
  return *module;
}

class OwnSite : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(Ocx().Loaded());
    m_form = CreateFormWindow(500, 400);
    ASSERT_NE(m_form, nullptr);
    m_site = new TestSite(m_form, kPos);
    m_site->SetAmbientFont(L"Tahoma", 120000);  // 12 pt
    ASSERT_EQ(Ocx().Create(IID_IOleObject, &m_ole), S_OK);
  }

  void TearDown() override {
    if (m_ole) {
      m_ole->Close(OLECLOSE_NOSAVE);
      m_ole->SetClientSite(nullptr);
      EXPECT_EQ(m_ole->Release(), 0u);
    }
    // Every reference the control took on the site is given back.
    if (m_site) {
      EXPECT_EQ(m_site->Release(), 0u);
    }
    if (m_form) DestroyWindow(m_form);
    PumpPending();
    EXPECT_EQ(Ocx().CanUnloadNow(), S_OK);
    OleUninitialize();
  }

  void Attach() {
    ASSERT_EQ(m_ole->SetClientSite(m_site), S_OK);
    IPersistStreamInit* init = QueryAs<IPersistStreamInit>(m_ole, IID_IPersistStreamInit);
    ASSERT_NE(init, nullptr);
    ASSERT_EQ(init->InitNew(), S_OK);
    init->Release();
  }

  HWND Activate() {
    RECT pos = kPos;
    EXPECT_EQ(m_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, m_form, &pos), S_OK);
    IOleWindow* w = QueryAs<IOleWindow>(m_ole, IID_IOleWindow);
    HWND hwnd = nullptr;
    if (w) {
      w->GetWindow(&hwnd);
      w->Release();
    }
    return hwnd;
  }

  IDispatch* Disp() { return QueryAs<IDispatch>(m_ole, IID_IDispatch); }

  static constexpr RECT kPos = {10, 20, 310, 220};
  HWND m_form = nullptr;
  TestSite* m_site = nullptr;
  IOleObject* m_ole = nullptr;
};

constexpr RECT OwnSite::kPos;

void ExpectRect(const RECT& r, const RECT& want) {
  EXPECT_EQ(r.left, want.left);
  EXPECT_EQ(r.top, want.top);
  EXPECT_EQ(r.right, want.right);
  EXPECT_EQ(r.bottom, want.bottom);
}

TEST_F(OwnSite, VerbsStatusUserTypeAndPageList) {
  IEnumOLEVERB* verbs = nullptr;
  ASSERT_EQ(m_ole->EnumVerbs(&verbs), S_OK);
  OLEVERB v[3] = {};
  ULONG got = 0;
  EXPECT_EQ(verbs->Next(3, v, &got), S_FALSE);
  ASSERT_EQ(got, 2u);
  EXPECT_EQ(v[0].lVerb, 0);
  EXPECT_STREQ(v[0].lpszVerbName, L"&Edit");
  EXPECT_EQ(v[1].lVerb, 1);
  EXPECT_STREQ(v[1].lpszVerbName, L"&Properties...");
  for (ULONG k = 0; k < got; ++k) CoTaskMemFree(v[k].lpszVerbName);
  // A restarted enumeration gives the same first verb again.
  ASSERT_EQ(verbs->Reset(), S_OK);
  ASSERT_EQ(verbs->Next(1, v, &got), S_OK);
  EXPECT_EQ(v[0].lVerb, 0);
  CoTaskMemFree(v[0].lpszVerbName);
  verbs->Release();

  DWORD status = 0;
  ASSERT_EQ(m_ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x30191u);

  LPOLESTR type = nullptr;
  ASSERT_EQ(m_ole->GetUserType(USERCLASSTYPE_FULL, &type), S_OK);
  EXPECT_STREQ(type, L"VelmaricAE Control");
  CoTaskMemFree(type);

  ISpecifyPropertyPages* spp = QueryAs<ISpecifyPropertyPages>(m_ole, IID_ISpecifyPropertyPages);
  ASSERT_NE(spp, nullptr);
  ExpectTheControlsPages(spp);
  spp->Release();
}

TEST_F(OwnSite, NewControlTakesTheAmbientBackColorAndFont) {
  Attach();
  bool askedColor = false, askedFont = false;
  for (DISPID id : m_site->ambientAsked) {
    askedColor |= id == DISPID_AMBIENT_BACKCOLOR;
    askedFont |= id == DISPID_AMBIENT_FONT;
  }
  EXPECT_TRUE(askedColor && askedFont);

  IDispatch* d = Disp();
  ASSERT_NE(d, nullptr);
  VARIANT v;
  ASSERT_EQ(GetProp(d, L"BackColor", &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(static_cast<OLE_COLOR>(V_I4(&v)), 0x00336699u);

  ASSERT_EQ(GetProp(d, L"Font", &v), S_OK);
  ASSERT_EQ(V_VT(&v), VT_DISPATCH);
  IDispatch* font = V_DISPATCH(&v);
  VARIANT name, size;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VariantInit(&name);
  VariantInit(&size);
  ASSERT_EQ(font->Invoke(DISPID_FONT_NAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &name, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(V_VT(&name), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&name), L"Tahoma");
  ASSERT_EQ(font->Invoke(DISPID_FONT_SIZE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &size, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(V_VT(&size), VT_CY);
  EXPECT_EQ(V_CY(&size).int64, 120000);
  VariantClear(&name);
  VariantClear(&v);

  // A custom property keeps its own default whatever the container offers.
  ASSERT_EQ(GetProp(d, L"BackColorA", &v), S_OK);
  EXPECT_EQ(V_I4(&v), 0xFFFFFF);
  d->Release();
}

TEST_F(OwnSite, InPlaceWindowAtTheSiteRectangleMovedByObjectRectsGoneOnDeactivate) {
  Attach();
  HWND hwnd = Activate();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetParent(hwnd), m_form);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  ExpectRect(RectInParent(hwnd), kPos);
  EXPECT_EQ(m_site->inPlaceActivations, 1);
  EXPECT_EQ(m_site->uiActivations, 0);  // in-place activation alone does not take the UI

  IOleInPlaceObject* ipo = QueryAs<IOleInPlaceObject>(m_ole, IID_IOleInPlaceObject);
  ASSERT_NE(ipo, nullptr);
  const RECT moved = {40, 50, 240, 150};
  ASSERT_EQ(ipo->SetObjectRects(&moved, &moved), S_OK);
  ExpectRect(RectInParent(hwnd), moved);

  // A second activation keeps the one window.
  m_site->SetPos(moved);
  EXPECT_EQ(Activate(), hwnd);
  EXPECT_EQ(m_site->inPlaceActivations, 1);

  ASSERT_EQ(ipo->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(m_site->inPlaceDeactivations, 1);
  HWND none = reinterpret_cast<HWND>(1);
  EXPECT_EQ(ipo->GetWindow(&none), E_FAIL);
  EXPECT_EQ(none, nullptr);

  // Activated again, it makes a new window where the site now says.
  HWND again = Activate();
  ASSERT_NE(again, nullptr);
  ExpectRect(RectInParent(again), moved);
  EXPECT_EQ(m_site->inPlaceActivations, 2);
  ipo->Release();
  EXPECT_EQ(m_ole->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_FALSE(IsWindow(again));
}

TEST_F(OwnSite, EditVerbActivatesInPlaceAndTakesTheUi) {
  Attach();
  RECT pos = kPos;
  ASSERT_EQ(m_ole->DoVerb(OLEIVERB_PRIMARY, nullptr, m_site, 0, m_form, &pos), S_OK);
  EXPECT_EQ(m_site->inPlaceActivations, 1);
  EXPECT_EQ(m_site->uiActivations, 1);
  IOleWindow* w = QueryAs<IOleWindow>(m_ole, IID_IOleWindow);
  ASSERT_NE(w, nullptr);
  HWND hwnd = nullptr;
  EXPECT_EQ(w->GetWindow(&hwnd), S_OK);
  EXPECT_EQ(GetParent(hwnd), m_form);
  w->Release();
  EXPECT_EQ(m_ole->DoVerb(7, nullptr, m_site, 0, m_form, &pos), OLEOBJ_S_INVALIDVERB);
}

TEST_F(OwnSite, RepeatedExtentLeavesTheControlCleanAChangedOneMarksIt) {
  Attach();
  IPersistStreamInit* ps = QueryAs<IPersistStreamInit>(m_ole, IID_IPersistStreamInit);
  ASSERT_NE(ps, nullptr);
  ASSERT_EQ(ps->IsDirty(), S_FALSE);
  SIZEL size = {};
  ASSERT_EQ(m_ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
  ASSERT_EQ(m_ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_FALSE) << "the same extent again is no change";
  SIZEL bigger = {size.cx + 1000, size.cy + 500};
  ASSERT_EQ(m_ole->SetExtent(DVASPECT_CONTENT, &bigger), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_OK);
  SIZEL now = {};
  ASSERT_EQ(m_ole->GetExtent(DVASPECT_CONTENT, &now), S_OK);
  EXPECT_EQ(now.cx, bigger.cx);
  EXPECT_EQ(now.cy, bigger.cy);
  EXPECT_EQ(m_ole->SetExtent(DVASPECT_ICON, &bigger), DV_E_DVASPECT);
  ps->Release();
}

TEST_F(OwnSite, PropertyNotifySinkIsToldOfABackColorWrite) {
  Attach();
  IConnectionPointContainer* cpc = QueryAs<IConnectionPointContainer>(m_ole, IID_IConnectionPointContainer);
  ASSERT_NE(cpc, nullptr);
  IConnectionPoint* cp = nullptr;
  ASSERT_EQ(cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp), S_OK);
  ASSERT_NE(cp, nullptr);
  NotifySink* sink = new NotifySink;
  DWORD cookie = 0;
  ASSERT_EQ(cp->Advise(sink, &cookie), S_OK);

  IDispatch* d = Disp();
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = 0x000000FF;
  ASSERT_EQ(PutProp(d, L"BackColor", v), S_OK);
  ASSERT_EQ(sink->changed.size(), 1u);
  EXPECT_EQ(sink->changed[0], DISPID_BACKCOLOR);
  d->Release();

  EXPECT_EQ(cp->Unadvise(cookie), S_OK);
  cp->Release();
  cpc->Release();
  EXPECT_EQ(sink->Release(), 0u);
}

TEST_F(OwnSite, SimpleFrameSiteSeesTheControlWindowMessagesBeforeAndAfter) {
  m_site->offerSimpleFrame = true;
  Attach();
  HWND hwnd = Activate();
  ASSERT_NE(hwnd, nullptr);
  m_site->filtered.clear();

  const UINT probe = WM_APP + 7;
  SendMessageW(hwnd, probe, 11, 22);
  ASSERT_EQ(m_site->filtered.size(), 2u);
  const TestSite::Filtered& pre = m_site->filtered[0];
  const TestSite::Filtered& post = m_site->filtered[1];
  EXPECT_TRUE(pre.pre);
  EXPECT_FALSE(post.pre);
  for (const TestSite::Filtered* f : {&pre, &post}) {
    EXPECT_EQ(f->hwnd, hwnd);
    EXPECT_EQ(f->msg, probe);
    EXPECT_EQ(f->w, 11u);
    EXPECT_EQ(f->l, 22);
  }
  EXPECT_EQ(post.cookie, pre.cookie);  // the cookie the site gave out comes back

  // A message the site takes for itself goes no further: its result stands.
  m_site->filtered.clear();
  m_site->swallowMessage = probe + 1;
  m_site->swallowResult = 4321;
  EXPECT_EQ(SendMessageW(hwnd, probe + 1, 0, 0), 4321);
  ASSERT_EQ(m_site->filtered.size(), 1u);
  EXPECT_TRUE(m_site->filtered[0].pre);

  // The control's own handlers still run under the filters: a paint message
  // passes through both sides.
  m_site->filtered.clear();
  m_site->swallowMessage = 0;
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  int paints = 0;
  for (const TestSite::Filtered& f : m_site->filtered) paints += f.msg == WM_PAINT;
  EXPECT_EQ(paints, 2);
}

}  // namespace
