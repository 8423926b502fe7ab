// The class object of the server: makes one EventServer per client.
#pragma once
#include <unknwn.h>

namespace opcsrv {

// {6381433E-3145-43DD-ABDA-28927AD1C102}
extern const CLSID CLSID_VelmaricOpcAEServer;

class ClassFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  // A static object: the process lives by its clients' objects, not by it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

}  // namespace opcsrv
