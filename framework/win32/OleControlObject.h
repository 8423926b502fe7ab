// The COM identity of one control: it owns the portable control, answers the
// container's interfaces through one interface map, and serves as the
// control's ControlHost (events, ambient properties, repaint).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "framework/OleControl.h"
#include "framework/win32/ControlClassInfo.h"

class ConnectionPoint;
class FontChangeSink;
class ControlWindow;

class OleControlObject : public IDispatch,
                         public IProvideClassInfo2,
                         public IOleObject,
                         public IOleInPlaceObject,
                         public IOleInPlaceActiveObject,
                         public IOleControl,
                         public IViewObjectEx,
                         public IPersistStreamInit,
                         public IPersistStorage,
                         public IPersistPropertyBag,
                         public IConnectionPointContainer,
                         public ISpecifyPropertyPages,
                         public ControlHost {
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

  // IOleObject (OleObject.cpp)
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* mk) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** mk) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                      LPCRECT posRect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* pal) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject (InPlace.cpp)
  STDMETHODIMP GetWindow(HWND* hwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IOleControl (OleControlIf.cpp)
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* msg) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IViewObject, IViewObject2, IViewObjectEx (ViewObject.cpp)
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* td, HDC hdcTarget, HDC hdc,
                    LPCRECTL bounds, LPCRECTL wbounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArg) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* td, HDC hicTarget,
                           LOGPALETTE** colors) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* td, LPSIZEL size) override;
  STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT loc, LONG closeHint, DWORD* hit) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT loc, LONG closeHint, DWORD* hit) override;
  STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* td, HDC hicTarget,
                                DVEXTENTINFO* info, LPSIZEL size) override;

  // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag (Persist*.cpp)
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;
  STDMETHODIMP InitNew(IStorage* storage) override;
  STDMETHODIMP Load(IStorage* storage) override;
  STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
  STDMETHODIMP SaveCompleted(IStorage* storage) override;
  STDMETHODIMP HandsOffStorage() override;
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

  // IConnectionPointContainer (ConnectionPoints.cpp)
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** cp) override;

  // ISpecifyPropertyPages (SpecifyPropertyPages.cpp)
  STDMETHODIMP GetPages(CAUUID* pages) override;

  // ControlHost
  void FireEvent(DispId id, const std::vector<Value>& args) override;
  void OnPropertyChanged(DispId id) override;
  void InvalidateControl() override;
  std::optional<Value> GetAmbient(DispId id) override;

  COleControl& Control() { return *m_control; }
  const ControlClassInfo& Info() const { return m_info; }
  IUnknown* Identity() { return static_cast<IDispatch*>(this); }
  // The stock font's GDI handle, for painting.
  HFONT CurrentHFont();

 private:
  OleControlObject(const ControlClassInfo& info, std::unique_ptr<COleControl> control);
  virtual ~OleControlObject();

  HRESULT ActivateInPlace(IOleClientSite* site, bool uiActivate);
  HRESULT ShowPropertyFrame(HWND parent);
  HRESULT InvokeStock(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
  // The font object handed out for the stock Font; rebuilt when the
  // control's font description changed since it was made.
  IFont* FontObject();

  LONG m_refs = 1;
  const ControlClassInfo& m_info;
  std::unique_ptr<COleControl> m_control;
  IFont* m_pFont = nullptr;
  FontDesc m_fontOfObject;
  FontChangeSink* m_pFontSink = nullptr;
  void OnFontObjectChanged();

  // Container side (OleObject.cpp, InPlace.cpp).
  IOleClientSite* m_pClientSite = nullptr;
  IOleInPlaceSite* m_pInPlaceSite = nullptr;
  IOleInPlaceFrame* m_pFrame = nullptr;       // while UI-active
  IOleInPlaceUIWindow* m_pDocWindow = nullptr;  // while UI-active
  IOleAdviseHolder* m_pOleAdviseHolder = nullptr;
  IAdviseSink* m_pViewAdviseSink = nullptr;
  DWORD m_dwViewAdviseAspects = 0, m_dwViewAdviseFlags = 0;
  std::unique_ptr<ControlWindow> m_pWindow;
  bool m_bInPlaceActive = false;
  bool m_bUIActive = false;
  LONG m_nFreezeEvents = 0;

  // Events and property notifications (ConnectionPoints.cpp).
  std::unique_ptr<ConnectionPoint> m_cpEvents;
  std::unique_ptr<ConnectionPoint> m_cpPropNotify;
};
