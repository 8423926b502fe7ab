// A control object made straight from the statically linked framework (no
// OCX, no registry), and the small container-side objects the tests need: an
// in-memory property bag, event and property-notification sinks.
#pragma once
#include "tests/wine/common/EventSink.h"
#include "tests/wine/common/NotifySink.h"
#include "tests/wine/common/TestUnknown.h"
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "control/VelmaricAECtrl.h"
#include "control/com/VelmaricAEClass.h"
#include "resources/VelmaricAEIds.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/OleControlObject.h"
#include "framework/win32/StockFont.h"

// What a container's bag does: values by name; a read with a type asked for
// converts, VT_EMPTY gives the stored type.
class MemoryBag : public TestUnknown<IPropertyBag> {
 public:
  ~MemoryBag() override {
    for (auto& kv : m_values) VariantClear(&kv.second);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyBag)) {
      *ppv = static_cast<IPropertyBag*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
    auto it = m_values.find(name);
    if (it == m_values.end()) return E_INVALIDARG;
    VARTYPE want = ignoreHint ? static_cast<VARTYPE>(VT_EMPTY) : V_VT(v);
    VariantInit(v);
    if (want == VT_EMPTY) return VariantCopy(v, &it->second);
    return VariantChangeType(v, &it->second, 0, want);
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
    VARIANT& slot = m_values[name];
    VariantClear(&slot);
    return VariantCopy(&slot, v);
  }
  void Put(const wchar_t* name, const VARIANT& v) { Write(name, const_cast<VARIANT*>(&v)); }
  void PutString(const wchar_t* name, const wchar_t* text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
    Put(name, v);
    VariantClear(&v);
  }
  void Remove(const wchar_t* name) {
    auto it = m_values.find(name);
    if (it == m_values.end()) return;
    VariantClear(&it->second);
    m_values.erase(it);
  }
  std::map<std::wstring, VARIANT> m_values;
  bool ignoreHint = false;  // some bags always answer in the type they hold
};

// One recorded call of IDispatch::Invoke, arguments as the sink saw them.
// One control object; the fixture holds the only reference.
class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    m_unk = NewControl();
    ASSERT_NE(m_unk, nullptr);
  }
  void TearDown() override {
    if (m_unk) m_unk->Release();
    m_unk = nullptr;
    EXPECT_EQ(com_module::ObjectCount(), 0);
    CoUninitialize();
  }

  static IUnknown* NewControl(bool initNew = true) {
    IUnknown* p = nullptr;
    if (FAILED(OleControlObject::Create(kVelmaricAEClass, nullptr, IID_IUnknown, reinterpret_cast<void**>(&p))))
      return nullptr;
    if (initNew) {
      IPersistStreamInit* init = Query<IPersistStreamInit>(p, IID_IPersistStreamInit);
      if (init) {
        init->InitNew();
        init->Release();
      }
    }
    return p;
  }

  template <class I>
  static I* Query(IUnknown* unk, REFIID iid) {
    I* p = nullptr;
    if (FAILED(unk->QueryInterface(iid, reinterpret_cast<void**>(&p)))) return nullptr;
    return p;
  }

  static OleControlObject* Object(IUnknown* unk) { return static_cast<OleControlObject*>(static_cast<IDispatch*>(unk)); }
  static CVelmaricAECtrl& Ctrl(IUnknown* unk) { return static_cast<CVelmaricAECtrl&>(Object(unk)->Control()); }

  static HRESULT Put(IUnknown* unk, DISPID id, VARIANT v) {
    IDispatch* disp = Query<IDispatch>(unk, IID_IDispatch);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp = {&v, &named, 1, 1};
    HRESULT hr = disp->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr);
    disp->Release();
    return hr;
  }
  static HRESULT PutI4(IUnknown* unk, DISPID id, long value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return Put(unk, id, v);
  }
  static HRESULT PutString(IUnknown* unk, DISPID id, const wchar_t* text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
    HRESULT hr = Put(unk, id, v);
    VariantClear(&v);
    return hr;
  }
  static HRESULT PutFont(IUnknown* unk, const FontDesc& desc) {
    IFont* font = CreateFontObject(desc);
    if (!font) return E_FAIL;
    IFontDisp* disp = nullptr;
    font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&disp));
    font->Release();
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = disp;
    HRESULT hr = Put(unk, DISPID_FONT, v);
    disp->Release();
    return hr;
  }

  // All 35 properties as the control holds them: the table's 33, then BackColor and Font.
  static std::vector<Value> AllProperties(IUnknown* unk) {
    COleControl& c = Object(unk)->Control();
    std::vector<Value> out;
    for (const DispEntry& e : c.GetDispatchTable())
      if (!e.isMethod) out.push_back(e.get(c));
    out.push_back(Value::Color(c.GetBackColor()));
    out.push_back(Value::Font(c.GetFont()));
    return out;
  }

  // A recognisable non-default state, written through automation.
  static FontDesc ChangedFont() {
    FontDesc f;
    f.name = u"Tahoma";
    f.size = 120000;
    f.weight = 700;
    f.italic = true;
    return f;
  }
  static void ChangeSeveral(IUnknown* unk) {
    ASSERT_EQ(PutI4(unk, 1, 42), S_OK);           // WatchdogTimeout
    ASSERT_EQ(PutI4(unk, 2, -1), S_OK);           // AddNewEventsToBottom
    ASSERT_EQ(PutString(unk, 6, L"543210"), S_OK);  // FieldOrder
    ASSERT_EQ(PutI4(unk, 9, 77), S_OK);           // Field2Width
    ASSERT_EQ(PutI4(unk, 15, 0x123456), S_OK);    // TextColorC
    ASSERT_EQ(PutI4(unk, 24, static_cast<long>(0x80000008u)), S_OK);  // BackColorF, a system colour
    ASSERT_EQ(PutI4(unk, 29, 900), S_OK);         // SeverityE
    ASSERT_EQ(PutI4(unk, 31, 0), S_OK);           // HideResetPropertiesMenuItem
    ASSERT_EQ(PutI4(unk, DISPID_BACKCOLOR, 0x00C0FFEE), S_OK);
    ASSERT_EQ(PutFont(unk, ChangedFont()), S_OK);
  }

  IUnknown* m_unk = nullptr;
};
