#include "framework/win32/ClassFactory.h"

#include "framework/win32/ComModule.h"
#include "framework/win32/ComObject.h"
#include "framework/win32/OleControlObject.h"
#include "framework/win32/Registration.h"

namespace {
COleObjectFactory* g_factories = nullptr;
}

COleObjectFactory::COleObjectFactory(const CLSID& clsid, CreateFn create, bool multiInstance,
                                     const wchar_t* progId, UpdateRegistryFn updateRegistry)
    : m_clsid(clsid),
      m_create(create),
      m_bMultiInstance(multiInstance),
      m_progId(progId),
      m_updateRegistry(updateRegistry),
      m_pNext(g_factories) {
  g_factories = this;
}

COleObjectFactory::COleObjectFactory(const ControlClassInfo& info)
    : COleObjectFactory(info.clsid, nullptr, false, info.progId, nullptr) {
  m_pControlInfo = &info;
}

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID riid, void** ppv) {
  return QueryInterfaces<IClassFactory>(this, riid, ppv);
}

// Outstanding references to a factory keep the module loaded.
STDMETHODIMP_(ULONG) COleObjectFactory::AddRef() {
  com_module::Lock(true);
  return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) COleObjectFactory::Release() {
  LONG n = InterlockedDecrement(&m_refs);
  com_module::Lock(false);
  return static_cast<ULONG>(n);
}

STDMETHODIMP COleObjectFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (m_pControlInfo) return OleControlObject::Create(*m_pControlInfo, outer, riid, ppv);
  return m_create(outer, riid, ppv);
}

STDMETHODIMP COleObjectFactory::LockServer(BOOL lock) {
  com_module::Lock(lock != FALSE);
  return S_OK;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (COleObjectFactory* f = g_factories; f; f = f->m_pNext)
    if (IsEqualCLSID(clsid, f->m_clsid)) return f->QueryInterface(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool COleObjectFactory::UpdateRegistry(bool reg) const {
  if (m_pControlInfo) return reg ? RegisterControlClass(*m_pControlInfo) : UnregisterClass(m_clsid, m_progId);
  return !m_updateRegistry || m_updateRegistry(*this, reg);
}

bool COleObjectFactory::UpdateRegistryAll(bool reg) {
  bool ok = true;
  for (COleObjectFactory* f = g_factories; f; f = f->m_pNext)
    if (!f->UpdateRegistry(reg)) ok = false;
  return ok;
}
