#include "opcserver/ClassFactory.h"

#include "framework/win32/ComObject.h"
#include "opcserver/ComCall.h"
#include "opcserver/EventServer.h"
#include "opcserver/Log.h"
#include "opcserver/ServerProcess.h"

namespace opcsrv {

const CLSID CLSID_VelmaricOpcAEServer = {0x6381433E, 0x3145, 0x43DD, {0xAB, 0xDA, 0x28, 0x92, 0x7A, 0xD1, 0xC1, 0x02}};

HRESULT ClassFactory::QueryInterface(REFIID riid, void** out) {
  return QueryInterfaces<IClassFactory>(this, riid, out);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  BeginActivation();
  HRESULT hr;
  try {
    if (Hub().Scripted(wtsim::Call::Connect)) {
      hr = E_FAIL;
      Log("CreateInstance fails (scripted)");
    } else {
      hr = EventServer::Create(riid, out);
    }
  } catch (...) {
    hr = CaughtResult("CreateInstance");
  }
  // Always: an activation left counted would keep the server forever.
  EndActivation();
  Log("CreateInstance: 0x%08lx", static_cast<unsigned long>(hr));
  return hr;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) AddRefServerProcess();
  else ReleaseServerProcess();
  return S_OK;
}

}  // namespace opcsrv
