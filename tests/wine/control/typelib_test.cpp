// The type library as design tools and containers read it: loaded from the
// OCX's own resource, and as a host gets it from a live control. Colours must
// reference stdole's OLE_COLOR (property browsers offer a colour picker only
// for that type), the font stdole's Font, and the event interface must name
// NewEvent and its arguments so that containers can bind handlers by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/WordSize.h"
#include "settings/PropertyTable.h"

namespace {

const GUID kLibid = {0x2E0AC21E, 0xE845, 0x4854, {0x82, 0xC3, 0x98, 0x4B, 0xBB, 0xAE, 0x78, 0xC9}};
const GUID kStdoleLibid = {0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// stdole's OLE_COLOR alias: the identity property browsers look for.
const GUID kStdoleOleColor = {0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// Holds one interface reference for the length of a test.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (m_p) m_p->Release();
  }
  T** Out() { return &m_p; }
  T* operator->() const { return m_p; }
  T* Get() const { return m_p; }

 private:
  T* m_p = nullptr;
};

std::wstring TypeName(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return L"<none>";
  std::wstring s = name ? name : L"";
  SysFreeString(name);
  return s;
}

// What a TYPEDESC finally refers to: pointer levels peeled off, the
// user-defined type at the end looked up where it lives.
struct Resolved {
  int pointers = 0;
  VARTYPE vt = VT_EMPTY;  // of the innermost TYPEDESC
  std::wstring name;      // the rest only for VT_USERDEFINED
  TYPEKIND kind = TKIND_MAX;
  GUID guid = GUID_NULL;
  GUID lib = GUID_NULL;
};

::testing::AssertionResult Resolve(ITypeInfo* owner, const TYPEDESC& desc, Resolved& out) {
  out = Resolved();
  const TYPEDESC* td = &desc;
  while (td->vt == VT_PTR) {
    ++out.pointers;
    td = td->lptdesc;
  }
  out.vt = td->vt;
  if (td->vt != VT_USERDEFINED) return ::testing::AssertionSuccess();
  Ref<ITypeInfo> ref;
  HRESULT hr = owner->GetRefTypeInfo(td->hreftype, ref.Out());
  if (FAILED(hr)) return ::testing::AssertionFailure() << "GetRefTypeInfo: 0x" << std::hex << hr;
  out.name = TypeName(ref.Get());
  TYPEATTR* attr = nullptr;
  if (FAILED(ref->GetTypeAttr(&attr))) return ::testing::AssertionFailure() << "GetTypeAttr";
  out.kind = attr->typekind;
  out.guid = attr->guid;
  ref->ReleaseTypeAttr(attr);
  Ref<ITypeLib> lib;
  UINT index = 0;
  if (FAILED(ref->GetContainingTypeLib(lib.Out(), &index))) return ::testing::AssertionFailure() << "no library";
  TLIBATTR* la = nullptr;
  if (FAILED(lib->GetLibAttr(&la))) return ::testing::AssertionFailure() << "GetLibAttr";
  out.lib = la->guid;
  lib->ReleaseTLibAttr(la);
  return ::testing::AssertionSuccess();
}

// A dispinterface's property by name: its id and its base type.
struct Var {
  MEMBERID id = 0;
  VARTYPE vt = VT_EMPTY;
};

bool FindVar(ITypeInfo* info, const std::wstring& name, Var& out) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return false;
  bool found = false;
  for (UINT k = 0; !found && k < attr->cVars; ++k) {
    VARDESC* vd = nullptr;
    if (FAILED(info->GetVarDesc(k, &vd))) continue;
    if (TypeName(info, vd->memid) == name) {
      out.id = vd->memid;
      out.vt = vd->elemdescVar.tdesc.vt;
      found = true;
    }
    info->ReleaseVarDesc(vd);
  }
  info->ReleaseTypeAttr(attr);
  return found;
}

// Checks one property as stdole's OLE_COLOR. The VARDESC stays held while its
// type is resolved.
void ExpectStdoleColour(ITypeInfo* disp, const std::wstring& name) {
  SCOPED_TRACE(std::string(name.begin(), name.end()));
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(disp->GetTypeAttr(&attr), S_OK);
  const WORD vars = attr->cVars;
  disp->ReleaseTypeAttr(attr);
  for (UINT k = 0; k < vars; ++k) {
    VARDESC* vd = nullptr;
    ASSERT_EQ(disp->GetVarDesc(k, &vd), S_OK);
    if (TypeName(disp, vd->memid) != name) {
      disp->ReleaseVarDesc(vd);
      continue;
    }
    Resolved r;
    EXPECT_TRUE(Resolve(disp, vd->elemdescVar.tdesc, r));
    disp->ReleaseVarDesc(vd);
    EXPECT_EQ(r.pointers, 0);
    ASSERT_EQ(r.vt, VT_USERDEFINED) << "a bare integer gets no colour picker";
    EXPECT_EQ(r.name, L"OLE_COLOR");
    EXPECT_EQ(r.kind, TKIND_ALIAS);
    EXPECT_TRUE(IsEqualGUID(r.guid, kStdoleOleColor)) << "a local OLE_COLOR is not the standard colour";
    EXPECT_TRUE(IsEqualGUID(r.lib, kStdoleLibid));
    return;
  }
  ADD_FAILURE() << "no such property";
}

std::vector<std::wstring> ColourNames() {
  std::vector<std::wstring> names = {L"BackColor"};
  for (const wchar_t* stem : {L"TextColor", L"BackColor"})
    for (wchar_t c = L'A'; c <= L'F'; ++c) names.push_back(stem + std::wstring(1, c));
  return names;
}

// The three accessors of the stock font: each bindable and request-edit, each
// typed with stdole's Font dispinterface.
void ExpectStdoleFont(ITypeInfo* disp) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(disp->GetTypeAttr(&attr), S_OK);
  const WORD funcs = attr->cFuncs;
  disp->ReleaseTypeAttr(attr);
  int kinds = 0;
  for (UINT k = 0; k < funcs; ++k) {
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(disp->GetFuncDesc(k, &fd), S_OK);
    if (fd->memid != DISPID_FONT) {
      disp->ReleaseFuncDesc(fd);
      continue;
    }
    SCOPED_TRACE(::testing::Message() << "invoke kind " << fd->invkind);
    kinds |= fd->invkind;
    EXPECT_EQ(TypeName(disp, fd->memid), L"Font");
    EXPECT_EQ(fd->wFuncFlags & (FUNCFLAG_FBINDABLE | FUNCFLAG_FREQUESTEDIT),
              FUNCFLAG_FBINDABLE | FUNCFLAG_FREQUESTEDIT);
    const TYPEDESC* font = nullptr;
    if (fd->invkind == INVOKE_PROPERTYGET) {
      EXPECT_EQ(fd->cParams, 0);
      font = &fd->elemdescFunc.tdesc;
    } else {
      EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_VOID);
      EXPECT_EQ(fd->cParams, 1);
      if (fd->cParams == 1) font = &fd->lprgelemdescParam[0].tdesc;
    }
    if (font) {
      Resolved r;
      EXPECT_TRUE(Resolve(disp, *font, r));
      EXPECT_EQ(r.pointers, 1);
      EXPECT_EQ(r.vt, VT_USERDEFINED);
      EXPECT_EQ(r.name, L"Font");
      EXPECT_EQ(r.kind, TKIND_DISPATCH);
      EXPECT_TRUE(IsEqualGUID(r.guid, IID_IFontDisp));
      EXPECT_TRUE(IsEqualGUID(r.lib, kStdoleLibid));
    }
    disp->ReleaseFuncDesc(fd);
  }
  EXPECT_EQ(kinds, INVOKE_PROPERTYGET | INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
}

// The event interface: NewEvent alone, with its five named arguments.
void ExpectNewEvent(ITypeInfo* events) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(events->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kDiidVelmaricAEEvents));
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr->cVars, 0);
  const WORD funcs = attr->cFuncs;
  events->ReleaseTypeAttr(attr);
  ASSERT_EQ(funcs, 1);

  FUNCDESC* fd = nullptr;
  ASSERT_EQ(events->GetFuncDesc(0, &fd), S_OK);
  EXPECT_EQ(fd->memid, 1);  // the member the control raises
  EXPECT_EQ(fd->invkind, INVOKE_FUNC);
  EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_VOID);
  const VARTYPE expected[] = {VT_DATE, VT_BSTR, VT_BSTR, VT_BSTR, VT_I2};
  EXPECT_EQ(fd->cParams, 5);
  for (SHORT p = 0; p < fd->cParams && p < 5; ++p)
    EXPECT_EQ(fd->lprgelemdescParam[p].tdesc.vt, expected[p]) << "argument " << p;
  const MEMBERID id = fd->memid;
  events->ReleaseFuncDesc(fd);

  BSTR names[8] = {};
  UINT count = 0;
  ASSERT_EQ(events->GetNames(id, names, 8, &count), S_OK);
  ASSERT_EQ(count, 6u);
  EXPECT_STREQ(names[0], L"NewEvent");
  const wchar_t* args[] = {L"EventTime", L"Source", L"Message", L"Category", L"Severity"};
  for (UINT k = 1; k < count; ++k) EXPECT_STREQ(names[k], args[k - 1]) << "argument " << k - 1;
  for (UINT k = 0; k < count; ++k) SysFreeString(names[k]);

  // Binding by name, as a container wires a handler, and a named argument.
  LPOLESTR lookup[] = {const_cast<LPOLESTR>(L"newevent"), const_cast<LPOLESTR>(L"Severity")};
  MEMBERID ids[2] = {};
  ASSERT_EQ(events->GetIDsOfNames(lookup, 2, ids), S_OK);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 4);
}

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, m_lib.Out()), S_OK);
    ASSERT_EQ(m_lib->GetTypeInfoOfGuid(kDiidVelmaricAE, m_disp.Out()), S_OK);
  }
  ComScope m_com;
  Ref<ITypeLib> m_lib;
  Ref<ITypeInfo> m_disp;
};

TEST_F(TypeLibrary, LibraryAttributesAndOnlyItsOwnThreeTypes) {
  TLIBATTR* la = nullptr;
  ASSERT_EQ(m_lib->GetLibAttr(&la), S_OK);
  EXPECT_TRUE(IsEqualGUID(la->guid, kLibid));
  EXPECT_EQ(la->wMajorVerNum, 1);
  EXPECT_EQ(la->wMinorVerNum, 0);
  EXPECT_EQ(la->lcid, 0x0409u);
  EXPECT_EQ(la->syskind, kOwnSysKind);
  EXPECT_TRUE(la->wLibFlags & LIBFLAG_FCONTROL);
  m_lib->ReleaseTLibAttr(la);

  BSTR name = nullptr;
  BSTR doc = nullptr;
  ASSERT_EQ(m_lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_STREQ(name, L"VelmaricAELib");
  EXPECT_EQ(doc, nullptr);  // no help strings
  SysFreeString(name);
  SysFreeString(doc);

  // The standard types are referenced, not copied: a local OLE_COLOR or Font
  // would show up here as a fourth type.
  ASSERT_EQ(m_lib->GetTypeInfoCount(), 3u);
  std::vector<std::wstring> names;
  for (UINT k = 0; k < 3; ++k) {
    Ref<ITypeInfo> info;
    ASSERT_EQ(m_lib->GetTypeInfo(k, info.Out()), S_OK);
    names.push_back(TypeName(info.Get()));
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"_DVelmaricAE", L"_DVelmaricAEEvents", L"VelmaricAE"}));
}

TEST_F(TypeLibrary, EveryColourPropertyIsStdoleOleColor) {
  const std::vector<std::wstring> colours = ColourNames();
  ASSERT_EQ(colours.size(), 13u);
  for (const std::wstring& name : colours) ExpectStdoleColour(m_disp.Get(), name);
}

TEST_F(TypeLibrary, FontIsStdoleFont) { ExpectStdoleFont(m_disp.Get()); }

// The property list keeps its order (stock BackColor, then 1..33) and the
// other properties keep their automation types.
TEST_F(TypeLibrary, OtherPropertiesKeepTheirOrderAndTypes) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(m_disp->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  const WORD vars = attr->cVars;
  m_disp->ReleaseTypeAttr(attr);
  ASSERT_EQ(vars, 34);
  for (UINT k = 0; k < vars; ++k) {
    VARDESC* vd = nullptr;
    ASSERT_EQ(m_disp->GetVarDesc(k, &vd), S_OK);
    EXPECT_EQ(vd->memid, k == 0 ? DISPID_BACKCOLOR : static_cast<MEMBERID>(k)) << "property " << k;
    EXPECT_EQ(vd->varkind, VAR_DISPATCH);
    m_disp->ReleaseVarDesc(vd);
  }

  struct Plain {
    const wchar_t* name;
    MEMBERID id;
    VARTYPE vt;
  };
  const Plain plain[] = {
      {L"WatchdogTimeout", 1, VT_I2},       {L"AddNewEventsToBottom", 2, VT_BOOL},
      {L"FieldOrder", 6, VT_BSTR},          {L"Field5Width", 12, VT_I2},
      {L"SeverityA", 25, VT_I2},            {L"HideResetPropertiesMenuItem", 31, VT_BOOL},
      {L"DisableColumnSizing", 33, VT_BOOL},
  };
  for (const Plain& p : plain) {
    Var v;
    ASSERT_TRUE(FindVar(m_disp.Get(), p.name, v)) << p.name;
    EXPECT_EQ(v.id, p.id) << p.name;
    EXPECT_EQ(v.vt, p.vt) << p.name;
  }

  LPOLESTR method = const_cast<LPOLESTR>(L"ConnectOpc");
  MEMBERID id = 0;
  ASSERT_EQ(m_disp->GetIDsOfNames(&method, 1, &id), S_OK);
  EXPECT_EQ(id, 34);
}

// The property table the control is built from and the type library
// containers read agree on every property: name, id and automation type, and
// the library declares no custom property the table lacks.
TEST_F(TypeLibrary, DeclaresEveryPropertyOfThePropertyTable) {
  for (const PropertyRow& row : kPropertyRows) {
    const std::wstring name(row.name, row.name + std::char_traits<char16_t>::length(row.name));
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    Var v;
    ASSERT_TRUE(FindVar(m_disp.Get(), name, v)) << "not declared";
    EXPECT_EQ(v.id, row.dispid);
    const VARTYPE expected = row.type == VType::I2     ? VT_I2
                             : row.type == VType::Bool ? VT_BOOL
                             : row.type == VType::BStr ? VT_BSTR
                                                       : VT_USERDEFINED;  // stdole's OLE_COLOR
    EXPECT_EQ(v.vt, expected);
  }
  // Besides the stock BackColor, nothing the table lacks.
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(m_disp->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cVars, kPropertyCount + 1);
  m_disp->ReleaseTypeAttr(attr);
}

TEST_F(TypeLibrary, EventInterfaceDeclaresNewEvent) {
  Ref<ITypeInfo> events;
  ASSERT_EQ(m_lib->GetTypeInfoOfGuid(kDiidVelmaricAEEvents, events.Out()), S_OK);
  ExpectNewEvent(events.Get());
}

// Resolves the coclass's interface marked with exactly `flags`.
void ImplByFlags(ITypeInfo* coclass, int flags, ITypeInfo** out) {
  *out = nullptr;
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  const WORD impls = attr->cImplTypes;
  coclass->ReleaseTypeAttr(attr);
  for (UINT k = 0; k < impls; ++k) {
    INT f = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(k, &f), S_OK);
    if (f != flags) continue;
    HREFTYPE h = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(k, &h), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(h, out), S_OK);
    return;
  }
}

GUID GuidOf(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  if (!info || FAILED(info->GetTypeAttr(&attr))) return GUID_NULL;
  GUID g = attr->guid;
  info->ReleaseTypeAttr(attr);
  return g;
}

TEST_F(TypeLibrary, CoclassOffersTheDispatchAndEventInterfaces) {
  Ref<ITypeInfo> coclass;
  ASSERT_EQ(m_lib->GetTypeInfoOfGuid(kClsidVelmaricAE, coclass.Out()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  EXPECT_EQ(attr->cImplTypes, 2);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCONTROL);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  coclass->ReleaseTypeAttr(attr);

  Ref<ITypeInfo> def, source;
  ImplByFlags(coclass.Get(), IMPLTYPEFLAG_FDEFAULT, def.Out());
  ImplByFlags(coclass.Get(), IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE, source.Out());
  ASSERT_TRUE(def.Get() && source.Get());
  EXPECT_TRUE(IsEqualGUID(GuidOf(def.Get()), kDiidVelmaricAE));
  EXPECT_TRUE(IsEqualGUID(GuidOf(source.Get()), kDiidVelmaricAEEvents));
}

// A host never opens the file: it asks the live control. It must see the
// same types through the control's IDispatch and its class info.
class HostView : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_ocx.Loaded());
    ASSERT_EQ(m_ocx.Create(IID_IDispatch, m_control.Out()), S_OK);
  }
  ComScope m_com;
  OcxModule m_ocx;
  Ref<IDispatch> m_control;
};

TEST_F(HostView, DispatchTypeInfoHasStdoleColoursAndFont) {
  UINT count = 0;
  ASSERT_EQ(m_control->GetTypeInfoCount(&count), S_OK);
  ASSERT_EQ(count, 1u);
  Ref<ITypeInfo> info;
  ASSERT_EQ(m_control->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out()), S_OK);
  EXPECT_TRUE(IsEqualGUID(GuidOf(info.Get()), kDiidVelmaricAE));
  for (const std::wstring& name : ColourNames()) ExpectStdoleColour(info.Get(), name);
  ExpectStdoleFont(info.Get());
}

TEST_F(HostView, ClassInfoLeadsToNewEvent) {
  Ref<IProvideClassInfo> pci;
  ASSERT_EQ(m_control->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(pci.Out())), S_OK);
  Ref<ITypeInfo> coclass;
  ASSERT_EQ(pci->GetClassInfo(coclass.Out()), S_OK);
  Ref<ITypeInfo> def, source;
  ImplByFlags(coclass.Get(), IMPLTYPEFLAG_FDEFAULT, def.Out());
  ImplByFlags(coclass.Get(), IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE, source.Out());
  ASSERT_TRUE(def.Get() && source.Get());
  ExpectStdoleColour(def.Get(), L"BackColor");
  ExpectNewEvent(source.Get());
}

}  // namespace
