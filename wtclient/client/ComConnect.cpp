#include "wtclient/client/ComConnect.h"

#include "opc_ae.h"

#include <string>

#include "wtclient/AnsiText.h"
#include "wtclient/LocalMachine.h"
#include "wtclient/Registry.h"
#include "wtclient/client/ComConnection.h"
#include "wtclient/client/StatusWatch.h"

namespace wtclient {
namespace {

IOPCEventServer* CreateServer(const CLSID& clsid, LPCSTR machineName) {
  MULTI_QI mqi = {&IID_IOPCEventServer, nullptr, S_OK};
  HRESULT hr;
  if (IsLocalMachine(machineName)) {
    // Any kind of local server, an in-process one included.
    hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                            nullptr, 1, &mqi);
  } else {
    std::wstring machine = WideFromAnsi(machineName);
    COSERVERINFO info = {};
    info.pwszName = &machine[0];
    hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &info, 1, &mqi);
  }
  if (SUCCEEDED(hr) && SUCCEEDED(mqi.hr) && mqi.pItf) return static_cast<IOPCEventServer*>(mqi.pItf);
  if (mqi.pItf) mqi.pItf->Release();
  return nullptr;
}

}  // namespace

std::shared_ptr<AEConnection> ConnectOverCom(LPCSTR machineName, LPCSTR serverProgId) {
  if (!serverProgId || !*serverProgId || !Registry::Get().ThreadInitialised()) return nullptr;
  // A ProgID that does not resolve is a missing server: the connect fails.
  // The simulator serves only when asked for by name (WTCLIENT_INPROCESS,
  // WTCLIENT_SIM_SCENARIO), never in a real server's place.
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(WideFromAnsi(serverProgId).c_str(), &clsid))) return nullptr;
  if (!Registry::Get().ThreadComInitialised()) return nullptr;
  IOPCEventServer* server = CreateServer(clsid, machineName);
  if (!server) return nullptr;
  IOPCCommon* common = nullptr;
  if (SUCCEEDED(server->QueryInterface(IID_IOPCCommon, reinterpret_cast<void**>(&common))) && common) {
    common->SetClientName(L"Velmaric AE");  // a courtesy; its answer does not matter
    common->Release();
  }
  auto c = std::make_shared<ComConnection>(server);
  StatusWatch::Get().Add(c);
  return c;
}

}  // namespace wtclient
