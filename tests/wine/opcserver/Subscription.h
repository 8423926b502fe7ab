// An event subscription of the test client: created on a server object with
// IID_IOPCEventSubscriptionMgt and a RecordingSink advised on its
// connection point, the way any OPC AE client subscribes.
#pragma once
#include <vector>

#include "OpcTestSupport.h"
#include "RecordingSink.h"

struct Subscription {
  ComPtr<IOPCEventSubscriptionMgt> mgt;
  ComPtr<IConnectionPoint> point;
  ComPtr<RecordingSink> sink;
  DWORD cookie = 0, revisedBuffer = 0, revisedMax = 0;
  HRESULT createHr = E_FAIL, adviseHr = E_FAIL;

  Subscription() = default;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Close(); }

  // Creates the subscription and advises a new sink; true if both worked.
  bool Open(IOPCEventServer* server, OPCHANDLE handle, BOOL active = TRUE, DWORD bufferTime = 0, DWORD maxSize = 0);
  // Unadvises and releases everything (the sink object stays readable).
  void Close();
  // Sets a filter with no area or source criteria.
  HRESULT SetFilter(DWORD eventTypes, const std::vector<DWORD>& categories = {}, DWORD low = 1, DWORD high = 1000);
};
