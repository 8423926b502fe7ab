#include "ServerFixture.h"

bool ServerFixture::StartServer(const std::string& scenario) {
  std::string why;
  started = server.Start(scenario, &why);
  if (!started) ADD_FAILURE() << "server did not start: " << why;
  return started;
}

HRESULT ServerFixture::Connect(ComPtr<IOPCEventServer>& out) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCEventServer,
                          reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}

void ServerFixture::TearDown() {
  if (!started) return;
  if (!server.WaitExit(exitWaitMs)) {
    ADD_FAILURE() << "the server did not exit within " << exitWaitMs
                  << " ms of its last client's release; log:\n" << server.Log();
    server.Kill();
  } else if (HasFailure()) {
    std::printf("[ server log ]\n%s\n", server.Log().c_str());
  }
}
