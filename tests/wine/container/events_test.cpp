// Connection points, the NewEvent event, property notifications, the stock
// font's put and get, the verb and page lists, and reference counts that
// bring the object down at its last Release.
#include "tests/wine/common/PageList.h"
#include "tests/wine/container/ContainerFixture.h"

namespace {

class Events : public ContainerTest {
 protected:
  IConnectionPoint* Point(REFIID iid) {
    IConnectionPointContainer* cpc = Query<IConnectionPointContainer>(m_unk, IID_IConnectionPointContainer);
    IConnectionPoint* cp = nullptr;
    EXPECT_EQ(cpc->FindConnectionPoint(iid, &cp), S_OK);
    cpc->Release();
    return cp;
  }
  void Fire(int16_t severity = 700) {
    Ctrl(m_unk).FireNewEvent(45000.25, u"Boiler 1", u"Pressure high", u"Level", severity);
  }
};

TEST_F(Events, AdvisedSinkHearsNewEventWithItsFiveArguments) {
  IConnectionPoint* cp = Point(DIID__DVelmaricAEEvents);
  EventSink* sink = new EventSink;  // offers IDispatch only, as script hosts do
  DWORD cookie = 0;
  ASSERT_EQ(cp->Advise(sink, &cookie), S_OK);
  EXPECT_EQ(cookie, 1u);

  Fire();
  ASSERT_EQ(sink->calls.size(), 1u);
  const EventCall& c = sink->calls[0];
  EXPECT_EQ(c.id, 1);
  EXPECT_EQ(c.flags, DISPATCH_METHOD);
  EXPECT_TRUE(c.iidNull);
  EXPECT_EQ(c.named, 0u);
  ASSERT_EQ(c.args.size(), 5u);
  // DISPPARAMS holds the last argument first.
  EXPECT_EQ(V_VT(&c.args[4]), VT_DATE);
  EXPECT_EQ(V_DATE(&c.args[4]), 45000.25);
  EXPECT_EQ(V_VT(&c.args[3]), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&c.args[3]), L"Boiler 1");
  EXPECT_EQ(V_VT(&c.args[2]), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&c.args[2]), L"Pressure high");
  EXPECT_EQ(V_VT(&c.args[1]), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&c.args[1]), L"Level");
  EXPECT_EQ(V_VT(&c.args[0]), VT_I2);
  EXPECT_EQ(V_I2(&c.args[0]), 700);

  EXPECT_EQ(cp->Unadvise(cookie), S_OK);
  Fire();
  EXPECT_EQ(sink->calls.size(), 1u);
  EXPECT_EQ(cp->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(cp->Unadvise(12345), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(sink->Refs(), 1u);  // the control let go of it
  cp->Release();
  sink->Release();
}

TEST_F(Events, FailingAndUnadvisingSinksDoNotStopTheOthers) {
  IConnectionPoint* cp = Point(DIID__DVelmaricAEEvents);
  EventSink* failing = new EventSink;
  EventSink* selfRemoving = new EventSink;
  EventSink* removedByOther = new EventSink;
  EventSink* last = new EventSink;
  DWORD c1, c2, c3, c4;
  ASSERT_EQ(cp->Advise(failing, &c1), S_OK);
  ASSERT_EQ(cp->Advise(selfRemoving, &c2), S_OK);
  ASSERT_EQ(cp->Advise(removedByOther, &c3), S_OK);
  ASSERT_EQ(cp->Advise(last, &c4), S_OK);
  EXPECT_TRUE(c1 != c2 && c2 != c3 && c3 != c4);
  failing->result = E_FAIL;
  selfRemoving->onCall = [&] {
    cp->Unadvise(c2);
    cp->Unadvise(c3);
  };

  Fire();
  EXPECT_EQ(failing->calls.size(), 1u);
  EXPECT_EQ(selfRemoving->calls.size(), 1u);
  EXPECT_EQ(removedByOther->calls.size(), 0u);  // unadvised before its turn
  EXPECT_EQ(last->calls.size(), 1u);
  Fire();
  EXPECT_EQ(failing->calls.size(), 2u);
  EXPECT_EQ(selfRemoving->calls.size(), 1u);
  EXPECT_EQ(last->calls.size(), 2u);

  // Connections the container never unadvised are let go with the control.
  cp->Release();
  m_unk->Release();
  m_unk = nullptr;
  for (EventSink* s : {failing, selfRemoving, removedByOther, last}) {
    EXPECT_EQ(s->Refs(), 1u);
    s->Release();
  }
}

TEST_F(Events, FrozenEventsAreNotFired) {
  IConnectionPoint* cp = Point(DIID__DVelmaricAEEvents);
  EventSink* sink = new EventSink;
  DWORD cookie;
  ASSERT_EQ(cp->Advise(sink, &cookie), S_OK);
  IOleControl* oc = Query<IOleControl>(m_unk, IID_IOleControl);
  ASSERT_NE(oc, nullptr);
  oc->FreezeEvents(TRUE);
  oc->FreezeEvents(TRUE);
  Fire();
  oc->FreezeEvents(FALSE);
  Fire();
  EXPECT_EQ(sink->calls.size(), 0u);
  oc->FreezeEvents(FALSE);
  Fire();
  EXPECT_EQ(sink->calls.size(), 1u);
  oc->Release();
  cp->Unadvise(cookie);
  cp->Release();
  sink->Release();
}

TEST_F(Events, HandlerThatReleasesTheControlIsSurvived) {
  IConnectionPoint* cp = Point(DIID__DVelmaricAEEvents);
  EventSink* first = new EventSink;
  EventSink* second = new EventSink;
  DWORD cookie;
  ASSERT_EQ(cp->Advise(first, &cookie), S_OK);
  ASSERT_EQ(cp->Advise(second, &cookie), S_OK);
  cp->Release();
  CVelmaricAECtrl& ctrl = Ctrl(m_unk);
  IUnknown* unk = m_unk;
  m_unk = nullptr;
  first->onCall = [unk] { unk->Release(); };  // the container closes the form
  ctrl.FireNewEvent(1.0, u"s", u"m", u"c", 1);
  EXPECT_EQ(second->calls.size(), 1u);
  EXPECT_EQ(com_module::ObjectCount(), 0);
  EXPECT_EQ(first->Refs(), 1u);
  EXPECT_EQ(second->Refs(), 1u);
  first->onCall = nullptr;
  first->Release();
  second->Release();
}

TEST_F(Events, PropertyNotifySinkHearsStockPropertyChanges) {
  IConnectionPoint* cp = Point(IID_IPropertyNotifySink);
  NotifySink* sink = new NotifySink;
  DWORD cookie;
  ASSERT_EQ(cp->Advise(sink, &cookie), S_OK);
  EXPECT_EQ(PutI4(m_unk, DISPID_BACKCOLOR, 0x00FF00), S_OK);
  EXPECT_EQ(PutFont(m_unk, ChangedFont()), S_OK);
  ASSERT_EQ(sink->changed.size(), 2u);
  EXPECT_EQ(sink->changed[0], DISPID_BACKCOLOR);
  EXPECT_EQ(sink->changed[1], DISPID_FONT);
  // A refused write changes nothing and tells nobody.
  EXPECT_EQ(PutString(m_unk, DISPID_BACKCOLOR, L"green"), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(sink->changed.size(), 2u);
  EXPECT_EQ(cp->Unadvise(cookie), S_OK);
  PutI4(m_unk, DISPID_BACKCOLOR, 0);
  EXPECT_EQ(sink->changed.size(), 2u);

  // An event sink is not a property-notification sink.
  EventSink* wrong = new EventSink;
  EXPECT_EQ(cp->Advise(wrong, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(wrong->Refs(), 1u);
  wrong->Release();
  cp->Release();
  sink->Release();
}

TEST_F(Events, ContainerEnumeratesItsTwoPointsAndTheirConnections) {
  IConnectionPointContainer* cpc = Query<IConnectionPointContainer>(m_unk, IID_IConnectionPointContainer);
  IConnectionPoint* none = reinterpret_cast<IConnectionPoint*>(1);
  EXPECT_EQ(cpc->FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(none, nullptr);

  IEnumConnectionPoints* e = nullptr;
  ASSERT_EQ(cpc->EnumConnectionPoints(&e), S_OK);
  IConnectionPoint* points[3] = {};
  ULONG got = 0;
  EXPECT_EQ(e->Next(3, points, &got), S_FALSE);
  ASSERT_EQ(got, 2u);
  IID iids[2];
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(points[k]->GetConnectionInterface(&iids[k]), S_OK);
    IConnectionPointContainer* back = nullptr;
    EXPECT_EQ(points[k]->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ(back, cpc);
    back->Release();
  }
  EXPECT_TRUE(IsEqualIID(iids[0], DIID__DVelmaricAEEvents));
  EXPECT_TRUE(IsEqualIID(iids[1], IID_IPropertyNotifySink));
  IEnumConnectionPoints* clone = nullptr;
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(1), S_OK);
  EXPECT_EQ(e->Clone(&clone), S_OK);
  IConnectionPoint* again = nullptr;
  EXPECT_EQ(clone->Next(1, &again, nullptr), S_OK);
  EXPECT_EQ(again, points[1]);
  again->Release();
  EXPECT_EQ(clone->Skip(1), S_FALSE);
  clone->Release();
  e->Release();

  EventSink* a = new EventSink;
  EventSink* b = new EventSink;
  DWORD ca, cb;
  points[0]->Advise(a, &ca);
  points[0]->Advise(b, &cb);
  IEnumConnections* conns = nullptr;
  ASSERT_EQ(points[0]->EnumConnections(&conns), S_OK);
  CONNECTDATA data[3] = {};
  EXPECT_EQ(conns->Next(3, data, &got), S_FALSE);
  ASSERT_EQ(got, 2u);
  EXPECT_EQ(data[0].dwCookie, ca);
  EXPECT_EQ(data[1].dwCookie, cb);
  EXPECT_EQ(data[0].pUnk, static_cast<IUnknown*>(a));
  for (ULONG k = 0; k < got; ++k) data[k].pUnk->Release();
  conns->Release();
  points[0]->Unadvise(ca);
  points[0]->Unadvise(cb);
  EXPECT_EQ(a->Refs(), 1u);
  a->Release();
  b->Release();
  points[0]->Release();
  points[1]->Release();
  cpc->Release();
}

TEST_F(Events, EnumeratorsKeepTheControlAliveUntilReleased) {
  IConnectionPointContainer* cpc = Query<IConnectionPointContainer>(m_unk, IID_IConnectionPointContainer);
  IEnumConnectionPoints* e = nullptr;
  ASSERT_EQ(cpc->EnumConnectionPoints(&e), S_OK);
  cpc->Release();
  IOleObject* ole = Query<IOleObject>(m_unk, IID_IOleObject);
  IEnumOLEVERB* verbs = nullptr;
  ASSERT_EQ(ole->EnumVerbs(&verbs), S_OK);
  ole->Release();
  m_unk->Release();
  m_unk = nullptr;
  EXPECT_EQ(com_module::ObjectCount(), 1);
  IConnectionPoint* cp = nullptr;
  EXPECT_EQ(e->Next(1, &cp, nullptr), S_OK);
  e->Release();
  IEnumConnections* conns = nullptr;
  ASSERT_EQ(cp->EnumConnections(&conns), S_OK);
  cp->Release();
  EXPECT_EQ(com_module::ObjectCount(), 1);
  CONNECTDATA d;
  EXPECT_EQ(conns->Next(1, &d, nullptr), S_FALSE);
  conns->Release();
  EXPECT_EQ(com_module::ObjectCount(), 1);
  verbs->Release();
  EXPECT_EQ(com_module::ObjectCount(), 0);
}

TEST_F(Events, VerbEnumeratorFollowsTheEnumeratorRules) {
  IOleObject* ole = Query<IOleObject>(m_unk, IID_IOleObject);
  IEnumOLEVERB* e = nullptr;
  ASSERT_EQ(ole->EnumVerbs(&e), S_OK);
  ole->Release();
  IUnknown* identity = nullptr;
  ASSERT_EQ(e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(e));
  identity->Release();
  IUnknown* other = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(e->QueryInterface(IID_IEnumConnections, reinterpret_cast<void**>(&other)), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  OLEVERB v[2] = {};
  EXPECT_EQ(e->Next(2, v, nullptr), E_POINTER);
  EXPECT_EQ(e->Skip(1), S_OK);
  IEnumOLEVERB* clone = nullptr;
  ASSERT_EQ(e->Clone(&clone), S_OK);
  e->Release();
  ULONG got = 0;
  ASSERT_EQ(clone->Next(2, v, &got), S_FALSE);
  ASSERT_EQ(got, 1u);
  EXPECT_EQ(v[0].lVerb, 1);
  EXPECT_STREQ(v[0].lpszVerbName, L"&Properties...");
  CoTaskMemFree(v[0].lpszVerbName);
  // Skipping exactly to the end skips all that was asked.
  EXPECT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Skip(2), S_OK);
  EXPECT_EQ(clone->Skip(1), S_FALSE);
  EXPECT_EQ(clone->Next(1, v, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
  clone->Release();
}

TEST_F(Events, StockFontTakesOnlyFontObjectsAndHandsOutItsOwn) {
  // Scripts pass the object behind VT_BYREF|VT_VARIANT.
  IFont* font = CreateFontObject(ChangedFont());
  ASSERT_NE(font, nullptr);
  VARIANT inner, ref;
  V_VT(&inner) = VT_UNKNOWN;
  V_UNKNOWN(&inner) = font;
  V_VT(&ref) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&ref) = &inner;
  EXPECT_EQ(Put(m_unk, DISPID_FONT, ref), S_OK);
  font->Release();
  EXPECT_TRUE(Ctrl(m_unk).GetFont() == ChangedFont());

  EventSink* notAFont = new EventSink;
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = notAFont;
  EXPECT_EQ(Put(m_unk, DISPID_FONT, v), DISP_E_TYPEMISMATCH);
  notAFont->Release();
  EXPECT_EQ(PutI4(m_unk, DISPID_FONT, 12), DISP_E_TYPEMISMATCH);
  EXPECT_TRUE(Ctrl(m_unk).GetFont() == ChangedFont());

  // Every get hands out the control's one font object, so that changes made
  // on it reach the control.
  IDispatch* disp = Query<IDispatch>(m_unk, IID_IDispatch);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT first, second;
  ASSERT_EQ(disp->Invoke(DISPID_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &first, nullptr, nullptr), S_OK);
  ASSERT_EQ(disp->Invoke(DISPID_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &second, nullptr, nullptr), S_OK);
  ASSERT_EQ(V_VT(&first), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(&first), V_DISPATCH(&second));
  VariantClear(&first);
  VariantClear(&second);
  disp->Release();
}

TEST_F(Events, PagesComeInTheirOrder) {
  ISpecifyPropertyPages* spp = Query<ISpecifyPropertyPages>(m_unk, IID_ISpecifyPropertyPages);
  ASSERT_NE(spp, nullptr);
  ExpectTheControlsPages(spp);
  EXPECT_EQ(spp->GetPages(nullptr), E_POINTER);
  spp->Release();
}

}  // namespace
