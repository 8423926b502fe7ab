// The connection point of a subscription for IOPCEventSink. It lives inside
// its subscription and shares its reference count.
#pragma once
#include <ocidl.h>

namespace opcsrv {

class SinkOwner {
 public:
  virtual ULONG OwnerAddRef() = 0;
  virtual ULONG OwnerRelease() = 0;
  virtual IConnectionPointContainer* Container() = 0;
  virtual HRESULT AdviseSink(IUnknown* sink, DWORD* cookie) = 0;
  virtual HRESULT UnadviseSink(DWORD cookie) = 0;

 protected:
  ~SinkOwner() = default;
};

class ConnectionPoint : public IConnectionPoint {
 public:
  explicit ConnectionPoint(SinkOwner& owner) : m_owner(owner) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_owner.OwnerAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_owner.OwnerRelease(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

 private:
  SinkOwner& m_owner;
};

}  // namespace opcsrv
