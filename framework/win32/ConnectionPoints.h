// The control's outgoing interfaces: one connection point per interface id
// (the events dispinterface, IPropertyNotifySink). A connection point has no
// life of its own: its reference count is the control's.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <vector>

class OleControlObject;

class ConnectionPoint : public IConnectionPoint {
 public:
  ConnectionPoint(OleControlObject* owner, REFIID iid);
  virtual ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  // IUnknown: references go to the owning control.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** e) override;

  struct Connection {
    DWORD cookie;
    IUnknown* sink;  // the interface of iid (or IDispatch for an events interface)
  };
  // The current sinks, each AddRef'ed: the caller releases them. Firing works
  // on this copy so that sinks may advise or unadvise while they are called.
  std::vector<Connection> Snapshot() const;
  // False once the cookie was unadvised (cookies are never reused).
  bool IsAdvised(DWORD cookie) const;
  const IID& Iid() const { return m_iid; }

 private:
  OleControlObject* m_owner;
  IID m_iid;
  bool m_acceptDispatch;
  std::vector<Connection> m_connections;
  DWORD m_nextCookie = 1;
};

std::unique_ptr<ConnectionPoint> MakeConnectionPoint(OleControlObject* owner, REFIID iid);
