// COleObjectFactory: a static class factory that links itself into the
// module's factory list when the module loads. DllGetClassObject looks the
// class id up in that list; register-all and unregister-all walk it.
#pragma once
#include <windows.h>
#include <unknwn.h>

struct ControlClassInfo;

class COleObjectFactory : public IClassFactory {
 public:
  using CreateFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);
  // Runs the factory's registry operation: register (true) or unregister.
  using UpdateRegistryFn = bool (*)(const COleObjectFactory& factory, bool reg);

  COleObjectFactory(const CLSID& clsid, CreateFn create, bool multiInstance, const wchar_t* progId,
                    UpdateRegistryFn updateRegistry);
  // A control class: its objects are OleControlObjects of the class, and
  // registration writes the control entries. The class info must be a
  // constant that outlives the factory.
  explicit COleObjectFactory(const ControlClassInfo& info);

  const CLSID& GetClassID() const { return m_clsid; }
  const wchar_t* GetProgID() const { return m_progId; }

  // IUnknown: static object, the module lock stands for its references.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IClassFactory
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
  STDMETHODIMP LockServer(BOOL lock) override;

  static HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
  static bool UpdateRegistryAll(bool reg);

 private:
  bool UpdateRegistry(bool reg) const;

  CLSID m_clsid;
  CreateFn m_create;
  bool m_bMultiInstance;
  const wchar_t* m_progId;
  UpdateRegistryFn m_updateRegistry;
  const ControlClassInfo* m_pControlInfo = nullptr;
  COleObjectFactory* m_pNext;
  LONG m_refs = 0;
};
