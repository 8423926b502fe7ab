// A property-notification sink that records the dispids it is told of.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "tests/wine/common/TestUnknown.h"

class NotifySink : public TestUnknown<IPropertyNotifySink> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyNotifySink)) {
      *ppv = static_cast<IPropertyNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
  std::vector<DISPID> changed;
};
