#include "Subscription.h"

bool Subscription::Open(IOPCEventServer* server, OPCHANDLE handle, BOOL active, DWORD bufferTime, DWORD maxSize) {
  ComPtr<IUnknown> unk;
  createHr = server->CreateEventSubscription(active, bufferTime, maxSize, handle, IID_IOPCEventSubscriptionMgt,
                                             &unk, &revisedBuffer, &revisedMax);
  if (FAILED(createHr) || !unk) return false;
  if (FAILED(unk.As(&mgt))) return false;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(mgt.As(&container))) return false;
  if (FAILED(container->FindConnectionPoint(IID_IOPCEventSink, &point))) return false;
  sink.Attach(new RecordingSink);
  adviseHr = point->Advise(static_cast<IOPCEventSink*>(sink.Get()), &cookie);
  return SUCCEEDED(adviseHr);
}

void Subscription::Close() {
  if (point && cookie) point->Unadvise(cookie);
  cookie = 0;
  point.Reset();
  mgt.Reset();
}

HRESULT Subscription::SetFilter(DWORD eventTypes, const std::vector<DWORD>& categories, DWORD low, DWORD high) {
  // Arrays are never null across the proxy, even when empty.
  std::vector<DWORD> cats = categories;
  DWORD none = 0;
  LPWSTR noText = nullptr;
  return mgt->SetFilter(eventTypes, static_cast<DWORD>(cats.size()), cats.empty() ? &none : cats.data(), low, high,
                        0, &noText, 0, &noText);
}
