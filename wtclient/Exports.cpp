// The eight exports of WTclient.dll: an OPC AE client over COM, an OPC UA
// client for a server the integrator mapped to a UA endpoint, or the
// in-process simulator when the environment asks for it.
#include <windows.h>
#include <objbase.h>

#include "wtclient/Connection.h"
#include "wtclient/Mode.h"
#include "wtclient/Registry.h"
#include "wtclient/WTclient.h"
#include "wtclient/client/ComConnect.h"
#include "wtclient/ua/UaConnection.h"
#include "wtclient/ua/UaEndpoints.h"

using wtclient::AEConnection;
using wtclient::Registry;

extern "C" {

BOOL WINAPI WTclientCoInit(void) {
  // Multithreaded, so that the server's notifications arrive on RPC threads
  // and the caller needs no message loop.
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Registry::Get().ThreadInit(SUCCEEDED(hr));
  return SUCCEEDED(hr) ? TRUE : FALSE;
}

BOOL WINAPI WTclientCoUninit(void) {
  bool com = false;
  if (!Registry::Get().ThreadUninit(com)) return FALSE;
  if (com) CoUninitialize();
  return TRUE;
}

BOOL WINAPI EnableExtendedAECallback(PFN_ExtendedAECallback callback) {
  Registry::Get().SetCallback(callback);
  return callback ? TRUE : FALSE;
}

HANDLE WINAPI ConnectOPC_AE(LPCSTR machineName, LPCSTR serverProgId) {
  std::shared_ptr<AEConnection> c;
  if (wtclient::UseInProcessSimulator()) {
    c = wtclient::Connection::Open(machineName, serverProgId);
  } else {
    // A mapped ProgID names a UA server wherever it runs: the URL says where, the machine name is not used.
    const std::string uaEndpoint = wtclient::UaEndpointFor(serverProgId);
    if (uaEndpoint.empty())
      c = wtclient::ConnectOverCom(machineName, serverProgId);
    else if (Registry::Get().ThreadInitialised())
      c = wtclient::UaConnection::Open(uaEndpoint);
  }
  return c ? Registry::Get().Add(std::move(c)) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI QueryEventCategories(HANDLE connection, DWORD eventType, DWORD* count, DWORD** categoryIds,
                                 LPWSTR** categoryNames) {
  if (count) *count = 0;
  if (categoryIds) *categoryIds = nullptr;
  if (categoryNames) *categoryNames = nullptr;
  std::shared_ptr<AEConnection> c = Registry::Get().Find(connection);
  if (!c || !count || !categoryIds || !categoryNames) return FALSE;
  return c->QueryCategories(eventType, count, categoryIds, categoryNames) ? TRUE : FALSE;
}

HANDLE WINAPI Create_AE_Subscription(HANDLE connection, DWORD_PTR clientHandle, DWORD* revisedBufferTime,
                                     DWORD* revisedMaxSize) {
  std::shared_ptr<AEConnection> c = Registry::Get().Find(connection);
  return c ? c->Subscribe(clientHandle, revisedBufferTime, revisedMaxSize) : nullptr;
}

BOOL WINAPI Refresh_AE_Subscription(HANDLE connection, DWORD_PTR clientHandle) {
  std::shared_ptr<AEConnection> c = Registry::Get().Find(connection);
  return c && c->Refresh(clientHandle) ? TRUE : FALSE;
}

BOOL WINAPI DisconnectOPC_AE(HANDLE connection) {
  // Removed first so that a second disconnect of the handle fails at once.
  std::shared_ptr<AEConnection> c = Registry::Get().Remove(connection);
  if (!c) return FALSE;
  c->Close();
  return TRUE;
}

}  // extern "C"
