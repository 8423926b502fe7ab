// The COM identity of one control: it owns the portable control, answers the
// container's interfaces through one interface map, and serves as the
// control's ControlHost (events, ambient properties, repaint).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "framework/OleControl.h"

struct ControlClassInfo {
  CLSID clsid;
  IID dispatchIid;
  IID eventsIid;
  GUID libid;
  WORD libMajor, libMinor;
  DWORD miscStatus;
  UINT typeNameStringId;
  const CLSID* pages;
  size_t pageCount;
  COleControl* (*create)();
};

class OleControlObject : public IDispatch, public IProvideClassInfo2, public ControlHost {
 public:
  static HRESULT Create(const ControlClassInfo& info, IUnknown* outer, REFIID riid, void** ppv);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch, driven by the control's dispatch table and the stock properties.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* argErr) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // ControlHost
  void FireEvent(DispId id, const std::vector<Value>& args) override;
  void OnPropertyChanged(DispId id) override;
  void InvalidateControl() override;
  std::optional<Value> GetAmbient(DispId id) override;

  COleControl& Control() { return *m_control; }

 private:
  OleControlObject(const ControlClassInfo& info, std::unique_ptr<COleControl> control);
  virtual ~OleControlObject();

  HRESULT InvokeStock(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
  // The font object handed out for the stock Font; rebuilt when the
  // control's font description changed since it was made.
  IFont* FontObject();

  LONG m_refs = 1;
  const ControlClassInfo& m_info;
  std::unique_ptr<COleControl> m_control;
  IFont* m_pFont = nullptr;
  FontDesc m_fontOfObject;
};
