// The factory of a property page class: pages are made on their own (a frame
// creates each by class id) and registered as page classes by class id and
// type name alone. The ProgID is held but never written.
#pragma once
#include <memory>

#include "framework/win32/ClassFactory.h"
#include "framework/win32/PropertyPageObject.h"
#include "framework/win32/Registration.h"

template <class Page>
class COlePropertyPageFactory : public COleObjectFactory {
 public:
  COlePropertyPageFactory(const CLSID& clsid, const wchar_t* progId, UINT typeNameId)
      : COleObjectFactory(clsid, &Create, false, progId, &UpdateRegistry), m_nTypeNameId(typeNameId) {}

 private:
  static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) {
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreatePropertyPageObject(std::make_unique<Page>(), riid, ppv);
  }
  static bool UpdateRegistry(const COleObjectFactory& factory, bool reg) {
    const auto& self = static_cast<const COlePropertyPageFactory&>(factory);
    return reg ? RegisterPropertyPageClass(self.GetClassID(), self.m_nTypeNameId)
               : UnregisterClass(self.GetClassID(), nullptr);
  }

  UINT m_nTypeNameId;
};
