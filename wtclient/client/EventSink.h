// Our IOPCEventSink for one subscription: checks what the server sends and
// hands it to the notification callback with the control's client handle.
// Free-threaded: the server's calls arrive on RPC threads (or, from an
// in-process server, on its own threads).
#pragma once
#include "opc_ae.h"

#include <memory>

#include "framework/win32/ComObject.h"
#include "wtclient/client/DeliveryGate.h"

namespace wtclient {

class EventSink : public ComObject<IOPCEventSink> {
 public:
  // serverHandle: the hClientSubscription we gave the server; calls naming
  // another are refused. clientHandle: what the callback receives.
  EventSink(std::shared_ptr<DeliveryGate> gate, OPCHANDLE serverHandle, DWORD_PTR clientHandle);

  // More records than this in one call is not a batch but a broken answer.
  static const DWORD kMaxRecords = 1u << 20;
  static const DWORD kMaxAttributes = 4096;

  STDMETHODIMP OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                       ONEVENTSTRUCT* pEvents) override;

 private:
  std::shared_ptr<DeliveryGate> m_gate;
  const OPCHANDLE m_serverHandle;
  const DWORD_PTR m_clientHandle;
};

}  // namespace wtclient
