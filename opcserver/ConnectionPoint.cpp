#include "opcserver/ConnectionPoint.h"

#include "framework/win32/ComObject.h"
#include "opc_ae.h"
#include "opcserver/ComCall.h"

namespace opcsrv {

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** out) {
  return QueryInterfaces<IConnectionPoint>(this, riid, out);
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = IID_IOPCEventSink;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = m_owner.Container();
  (*out)->AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) try {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  return m_owner.AdviseSink(sink, cookie);
} catch (...) {
  return CaughtResult("Advise");
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) try {
  return m_owner.UnadviseSink(cookie);
} catch (...) {
  return CaughtResult("Unadvise");
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

}  // namespace opcsrv
