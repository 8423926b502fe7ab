#include "framework/win32/ClassFactory.h"

#include "framework/win32/ComModule.h"

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

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
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

bool COleObjectFactory::UpdateRegistryAll(bool reg) {
  bool ok = true;
  for (COleObjectFactory* f = g_factories; f; f = f->m_pNext)
    if (f->m_updateRegistry && !f->m_updateRegistry(*f, reg)) ok = false;
  return ok;
}
