// The event subscription object: IOPCEventSubscriptionMgt and the
// connection point container for the client's IOPCEventSink. Its delivery
// (filter, buffering, refresh, thread) is opcsrv::Delivery.
#pragma once
#include "opc_ae.h"

#include <memory>
#include <mutex>

#include "opcserver/ClientSession.h"
#include "opcserver/ComRef.h"
#include "opcserver/ConnectionPoint.h"
#include "opcserver/core/Delivery.h"

namespace opcsrv {

class Subscription : public IOPCEventSubscriptionMgt,
                     public IConnectionPointContainer,
                     public SinkOwner,
                     public SessionMember {
 public:
  static HRESULT Create(const std::shared_ptr<ClientSession>& session, const SubscriptionState& state, REFIID riid,
                        void** out);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_ref.Up(); }
  ULONG STDMETHODCALLTYPE Release() override;

  // IOPCEventSubscriptionMgt
  HRESULT STDMETHODCALLTYPE SetFilter(DWORD dwEventType, DWORD dwNumCategories, DWORD* pdwEventCategories,
                                      DWORD dwLowSeverity, DWORD dwHighSeverity, DWORD dwNumAreas,
                                      LPWSTR* pszAreaList, DWORD dwNumSources, LPWSTR* pszSourceList) override;
  HRESULT STDMETHODCALLTYPE GetFilter(DWORD* pdwEventType, DWORD* pdwNumCategories, DWORD** ppdwEventCategories,
                                      DWORD* pdwLowSeverity, DWORD* pdwHighSeverity, DWORD* pdwNumAreas,
                                      LPWSTR** ppszAreaList, DWORD* pdwNumSources, LPWSTR** ppszSourceList) override;
  HRESULT STDMETHODCALLTYPE SelectReturnedAttributes(DWORD dwEventCategory, DWORD dwCount,
                                                     DWORD* dwAttributeIDs) override;
  HRESULT STDMETHODCALLTYPE GetReturnedAttributes(DWORD dwEventCategory, DWORD* pdwCount,
                                                  DWORD** ppdwAttributeIDs) override;
  HRESULT STDMETHODCALLTYPE Refresh(DWORD dwConnection) override;
  HRESULT STDMETHODCALLTYPE CancelRefresh(DWORD dwConnection) override;
  HRESULT STDMETHODCALLTYPE GetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                                     OPCHANDLE* phClientSubscription) override;
  HRESULT STDMETHODCALLTYPE SetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                                     OPCHANDLE hClientSubscription, DWORD* pdwRevisedBufferTime,
                                     DWORD* pdwRevisedMaxSize) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  // SinkOwner
  ULONG OwnerAddRef() override { return AddRef(); }
  ULONG OwnerRelease() override { return Release(); }
  IConnectionPointContainer* Container() override { return this; }
  HRESULT AdviseSink(IUnknown* sink, DWORD* cookie) override;
  HRESULT UnadviseSink(DWORD cookie) override;

  // SessionMember
  bool TryAddRef() override { return m_ref.TryUp(); }
  ULONG ReleaseRef() override { return Release(); }
  void DisconnectClient() override;

 private:
  Subscription(const std::shared_ptr<ClientSession>& session, const SubscriptionState& state);
  ~Subscription();
  bool CategoryKnown(DWORD category) const;

  ComRef m_ref;
  std::shared_ptr<ClientSession> m_session;
  std::shared_ptr<Delivery> m_delivery;
  ConnectionPoint m_point;
  std::mutex m_adviseMutex;
  DWORD m_cookie = 0;  // 0: no sink advised
};

}  // namespace opcsrv
