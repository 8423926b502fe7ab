#include "ChildSubscriber.h"

#include "OpcTestSupport.h"
#include "Subscription.h"

int RunChildSubscriber(const char* readyEventName) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(kProgId, &clsid))) return 2;
  ComPtr<IOPCEventServer> srv;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCEventServer,
                              reinterpret_cast<void**>(srv.GetAddressOf()))))
    return 3;
  Subscription sub;
  if (!sub.Open(srv.Get(), 77)) return 4;
  if (!sub.sink->WaitRecords(1, 20000)) return 5;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEventName);
  if (!ready) return 6;
  SetEvent(ready);
  CloseHandle(ready);
  // The parent kills this process here; the references stay behind.
  Sleep(120000);
  return 7;
}
