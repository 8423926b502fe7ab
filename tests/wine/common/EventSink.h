// An event sink for the control's events interface, as a container's plain
// IDispatch: records every call with a copy of its arguments.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <vector>

#include "tests/wine/common/TestUnknown.h"

struct EventCall {
  DISPID id;
  WORD flags;
  bool iidNull;
  UINT named;
  std::vector<VARIANT> args;  // rgvarg order: last argument first
};

class EventSink : public TestUnknown<IDispatch> {
 public:
  ~EventSink() override {
    for (EventCall& c : calls)
      for (VARIANT& v : c.args) VariantClear(&v);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    EventCall c{id, flags, IsEqualIID(riid, IID_NULL) != 0, p ? p->cNamedArgs : 99, {}};
    for (UINT k = 0; p && k < p->cArgs; ++k) {
      VARIANT v;
      VariantInit(&v);
      VariantCopy(&v, &p->rgvarg[k]);
      c.args.push_back(v);
    }
    calls.push_back(c);
    if (onCall) onCall();
    return result;
  }
  std::vector<EventCall> calls;
  HRESULT result = S_OK;
  std::function<void()> onCall;
};

// NewEvent is event 1.
inline size_t NewEvents(const EventSink& sink) {
  size_t n = 0;
  for (const EventCall& c : sink.calls) n += c.id == 1;
  return n;
}
