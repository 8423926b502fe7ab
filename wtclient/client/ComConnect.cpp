#include "wtclient/client/ComConnect.h"

#include "opc_ae.h"

#include <string>

#include "wtclient/LocalMachine.h"
#include "wtclient/Registry.h"
#include "wtclient/client/ComConnection.h"
#include "wtclient/client/StatusWatch.h"

namespace wtclient {
namespace {

std::wstring Wide(LPCSTR s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

IOPCEventServer* CreateServer(const CLSID& clsid, LPCSTR machineName) {
  MULTI_QI mqi = {&IID_IOPCEventServer, nullptr, S_OK};
  HRESULT hr;
  if (IsLocalMachine(machineName)) {
    // Any kind of local server, an in-process one included.
    hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                            nullptr, 1, &mqi);
  } else {
    std::wstring machine = Wide(machineName);
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
  if (FAILED(CLSIDFromProgID(Wide(serverProgId).c_str(), &clsid))) return nullptr;
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
