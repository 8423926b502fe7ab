// The control's automation face: defaults of every property, writes and
// conversion errors, the methods, AboutBox not served, class info, and the
// module's unload answer.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/common/OcxModule.h"

namespace {

struct Expected {
  const wchar_t* name;
  DISPID id;
  VARTYPE vt;
  long value;  // numbers and booleans (VARIANT_TRUE is -1)
};

const Expected kDefaults[] = {
    {L"WatchdogTimeout", 1, VT_I2, 15},        {L"AddNewEventsToBottom", 2, VT_BOOL, 0},
    {L"LocalizeTimestamps", 3, VT_BOOL, 0},    {L"SuppressAcknEvents", 4, VT_BOOL, 0},
    {L"SuppressResetEvents", 5, VT_BOOL, 0},   {L"Field0Width", 7, VT_I2, 8},
    {L"Field1Width", 8, VT_I2, 40},            {L"Field2Width", 9, VT_I2, 40},
    {L"Field3Width", 10, VT_I2, 48},           {L"Field4Width", 11, VT_I2, 32},
    {L"Field5Width", 12, VT_I2, 12},           {L"TextColorA", 13, VT_I4, 0},
    {L"TextColorB", 14, VT_I4, 0},             {L"TextColorC", 15, VT_I4, 0},
    {L"TextColorD", 16, VT_I4, 0},             {L"TextColorE", 17, VT_I4, 0},
    {L"TextColorF", 18, VT_I4, 0},             {L"BackColorA", 19, VT_I4, 0xFFFFFF},
    {L"BackColorB", 20, VT_I4, 0xFFFFFF},      {L"BackColorC", 21, VT_I4, 0xFFFFFF},
    {L"BackColorD", 22, VT_I4, 0xFFFFFF},      {L"BackColorE", 23, VT_I4, 0xFFFFFF},
    {L"BackColorF", 24, VT_I4, 0xFFFFFF},      {L"SeverityA", 25, VT_I2, 1},
    {L"SeverityB", 26, VT_I2, 200},            {L"SeverityC", 27, VT_I2, 400},
    {L"SeverityD", 28, VT_I2, 600},            {L"SeverityE", 29, VT_I2, 800},
    {L"HideClearAllMenuItem", 30, VT_BOOL, 0}, {L"HideResetPropertiesMenuItem", 31, VT_BOOL, -1},
    {L"HideConnectionMenuItems", 32, VT_BOOL, 0}, {L"DisableColumnSizing", 33, VT_BOOL, 0},
};

long Number(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_I2: return V_I2(&v);
    case VT_I4: return V_I4(&v);
    case VT_BOOL: return V_BOOL(&v);
    default: return -99999;
  }
}

class Automation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_ocx.Loaded());
    ASSERT_EQ(m_ocx.Create(IID_IDispatch, &m_disp), S_OK);
  }
  void TearDown() override {
    if (m_disp) m_disp->Release();
  }
  ComScope m_com;
  OcxModule m_ocx;
  IDispatch* m_disp = nullptr;
};

TEST_F(Automation, NewControlHasEveryDefaultWithItsIdAndType) {
  for (const Expected& e : kDefaults) {
    VARIANT v;
    DISPID id = 0;
    ASSERT_EQ(GetProp(m_disp, e.name, &v, &id), S_OK) << e.name;
    EXPECT_EQ(id, e.id) << e.name;
    EXPECT_EQ(V_VT(&v), e.vt) << e.name;
    EXPECT_EQ(Number(v), e.value) << e.name;
  }
  VARIANT order;
  ASSERT_EQ(GetProp(m_disp, L"FieldOrder", &order), S_OK);
  ASSERT_EQ(V_VT(&order), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&order), L"012345");
  VariantClear(&order);
}

TEST_F(Automation, NamesAreCaseInsensitiveAndUnknownNamesFail) {
  DISPID id;
  LPOLESTR name = const_cast<LPOLESTR>(L"watchdogtimeout");
  EXPECT_EQ(m_disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 1);
  name = const_cast<LPOLESTR>(L"NoSuchProperty");
  EXPECT_EQ(m_disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(Automation, WritesStoreWithoutRangeChecksAndReadBack) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = 1000;  // beyond what the General page accepts
  ASSERT_EQ(PutProp(m_disp, L"WatchdogTimeout", v), S_OK);
  VARIANT r;
  ASSERT_EQ(GetProp(m_disp, L"WatchdogTimeout", &r), S_OK);
  EXPECT_EQ(Number(r), 1000);

  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = VARIANT_TRUE;
  ASSERT_EQ(PutProp(m_disp, L"DisableColumnSizing", v), S_OK);
  ASSERT_EQ(GetProp(m_disp, L"DisableColumnSizing", &r), S_OK);
  EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE);

  V_VT(&v) = VT_I4;
  V_I4(&v) = static_cast<LONG>(0x80000005);  // a system colour, as scripts write it
  ASSERT_EQ(PutProp(m_disp, L"BackColorC", v), S_OK);
  ASSERT_EQ(GetProp(m_disp, L"BackColorC", &r), S_OK);
  EXPECT_EQ(V_VT(&r), VT_I4);
  EXPECT_EQ(static_cast<unsigned long>(V_I4(&r)), 0x80000005ul);

  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"0123456789");  // stored as written
  ASSERT_EQ(PutProp(m_disp, L"FieldOrder", v), S_OK);
  VariantClear(&v);
  ASSERT_EQ(GetProp(m_disp, L"FieldOrder", &r), S_OK);
  EXPECT_STREQ(V_BSTR(&r), L"0123456789");
  VariantClear(&r);
}

TEST_F(Automation, ConversionErrorsKeepTheOldValue) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"abc");
  EXPECT_EQ(PutProp(m_disp, L"Field2Width", v), DISP_E_TYPEMISMATCH);
  VariantClear(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = 70000;
  EXPECT_EQ(PutProp(m_disp, L"SeverityA", v), DISP_E_OVERFLOW);
  VARIANT r;
  ASSERT_EQ(GetProp(m_disp, L"Field2Width", &r), S_OK);
  EXPECT_EQ(Number(r), 40);
  ASSERT_EQ(GetProp(m_disp, L"SeverityA", &r), S_OK);
  EXPECT_EQ(Number(r), 1);
}

TEST_F(Automation, AboutBoxIsDeclaredButNotServed) {
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT r;
  VariantInit(&r);
  EXPECT_EQ(m_disp->Invoke(DISPID_ABOUTBOX, IID_NULL, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  ITypeInfo* info = nullptr;
  ASSERT_EQ(m_disp->GetTypeInfo(0, 0, &info), S_OK);
  MEMBERID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"AboutBox");
  EXPECT_EQ(info->GetIDsOfNames(&name, 1, &id), S_OK);
  EXPECT_EQ(id, DISPID_ABOUTBOX);
  info->Release();
}

TEST_F(Automation, StockBackColorAndFont) {
  VARIANT r;
  ASSERT_EQ(GetProp(m_disp, L"BackColor", &r), S_OK);
  EXPECT_EQ(V_VT(&r), VT_I4);
  EXPECT_EQ(static_cast<unsigned long>(V_I4(&r)), 0x80000005ul);  // the window colour
  ASSERT_EQ(GetProp(m_disp, L"Font", &r), S_OK);
  ASSERT_EQ(V_VT(&r), VT_DISPATCH);
  IFont* font = nullptr;
  ASSERT_EQ(V_DISPATCH(&r)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
  BSTR face = nullptr;
  CY size;
  font->get_Name(&face);
  font->get_Size(&size);
  EXPECT_STREQ(face, L"MS Sans Serif");
  EXPECT_NEAR(static_cast<double>(size.int64), 80000, 5000);  // the font object rounds to whole pixels
  SysFreeString(face);
  // A change made on the font object handed out is a change of the control's font.
  size.int64 = 120000;
  ASSERT_EQ(font->put_Size(size), S_OK);
  font->Release();
  VariantClear(&r);
  ASSERT_EQ(GetProp(m_disp, L"Font", &r), S_OK);
  ASSERT_EQ(V_DISPATCH(&r)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
  font->get_Size(&size);
  EXPECT_NEAR(static_cast<double>(size.int64), 120000, 5000);
  font->Release();
  VariantClear(&r);

  // So is a font object written to the property.
  FONTDESC fd = {sizeof fd, const_cast<LPOLESTR>(L"Tahoma"), {}, 700, 0, FALSE, FALSE, FALSE};
  fd.cySize.int64 = 100000;
  IFontDisp* other = nullptr;
  ASSERT_EQ(OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&other)), S_OK);
  VARIANT w;
  VariantInit(&w);
  V_VT(&w) = VT_DISPATCH;
  V_DISPATCH(&w) = other;
  ASSERT_EQ(PutProp(m_disp, L"Font", w), S_OK);
  other->Release();
  ASSERT_EQ(GetProp(m_disp, L"Font", &r), S_OK);
  ASSERT_EQ(V_DISPATCH(&r)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
  font->get_Name(&face);
  EXPECT_STREQ(face, L"Tahoma");
  SysFreeString(face);
  font->Release();
  VariantClear(&r);
}

TEST_F(Automation, ProvideClassInfoNamesTheEventInterface) {
  IProvideClassInfo2* pci = nullptr;
  ASSERT_EQ(m_disp->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&pci)), S_OK);
  GUID g;
  ASSERT_EQ(pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &g), S_OK);
  EXPECT_TRUE(IsEqualGUID(g, kDiidVelmaricAEEvents));
  ITypeInfo* info = nullptr;
  ASSERT_EQ(pci->GetClassInfo(&info), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kClsidVelmaricAE));
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  info->ReleaseTypeAttr(attr);
  info->Release();
  pci->Release();
}

TEST(Module, UnloadsOnlyWhenNothingIsAlive) {
  ComScope com;
  OcxModule ocx;
  ASSERT_TRUE(ocx.Loaded());
  IDispatch* controls[100] = {};
  for (auto& c : controls) ASSERT_EQ(ocx.Create(IID_IDispatch, &c), S_OK);
  EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);
  for (auto& c : controls) c->Release();
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);

  IClassFactory* f = nullptr;
  ASSERT_EQ(ocx.Factory(kClsidVelmaricAE, &f), S_OK);
  f->LockServer(TRUE);
  f->Release();
  EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(ocx.Factory(kClsidVelmaricAE, &f), S_OK);
  f->LockServer(FALSE);
  f->Release();
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);

  const CLSID unknown = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  EXPECT_EQ(ocx.Factory(unknown, &f), CLASS_E_CLASSNOTAVAILABLE);
}

}  // namespace
