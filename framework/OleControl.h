// COleControl: the portable half of our control framework. It keeps the
// stock properties, the extent, the property-set version and the modified
// flag; it runs the property exchange in its three modes; it dispatches window
// messages through the derived class's message map, with default processing
// on request and command updates for pop-up menus; and it reaches the
// container (events, ambient properties, repaint) through a ControlHost that
// the win32 shell or a test harness provides.
#pragma once
#include <optional>
#include <vector>

#include "framework/Canvas.h"
#include "framework/CmdUI.h"
#include "framework/DetachedWindow.h"
#include "framework/DispatchTable.h"
#include "framework/MessageMap.h"
#include "framework/PropExchange.h"
#include "framework/UiPort.h"
#include "framework/WindowPort.h"

enum : DispId {
  kDispIdBackColor = -501,
  kDispIdFont = -512,
  kDispIdAboutBox = -552,
  kDispIdUnknown = -1,  // "several properties changed"
  kDispIdAmbientBackColor = -701,
  kDispIdAmbientFont = -703,
};

class ControlHost {
 public:
  virtual ~ControlHost() = default;
  // Calls every advised event sink; failures of a sink are the host's business.
  virtual void FireEvent(DispId id, const std::vector<Value>& args) = 0;
  // Tells property-notification sinks that a (stock) property changed.
  virtual void OnPropertyChanged(DispId id) = 0;
  // Repaint the whole control: its window, or the container's view of it.
  virtual void InvalidateControl() = 0;
  virtual std::optional<Value> GetAmbient(DispId id) = 0;
};

class COleControl {
 public:
  COleControl();
  virtual ~COleControl();
  COleControl(const COleControl&) = delete;
  COleControl& operator=(const COleControl&) = delete;

  // --- tables of the derived class
  virtual const DispTable& GetDispatchTable() const = 0;
  virtual const MessageMap& GetMessageMap() const = 0;

  // --- persistence. Version first, then extent and stock properties, then the
  // derived class's properties.
  virtual void DoPropExchange(PropExchange& px);
  void ExchangeVersion(PropExchange& px, uint32_t version);
  uint32_t GetVersionLoaded() const { return m_dwVersionLoaded; }
  void LoadFromBag(PropertyBagPort& bag);
  bool SaveToBag(PropertyBagPort& bag);
  // A truncated or corrupt stream leaves the control at its defaults.
  bool LoadFromBytes(ByteReader& in);
  void SaveToBytes(ByteWriter& out);
  // Every property to its default, then redraw.
  virtual void OnResetState();
  void ResetState() { OnResetState(); }

  void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
  bool IsModified() const { return m_bModified; }

  // --- stock properties
  OleColor GetBackColor() const { return m_clrBackColor; }
  void SetBackColor(OleColor c);
  const FontDesc& GetFont() const { return m_font; }
  void SetFont(const FontDesc& f);
  // Defaults: the container's ambient values where it offers them.
  OleColor AmbientBackColor();
  FontDesc AmbientFont();
  Size GetExtent() const { return m_extent; }  // HIMETRIC
  void SetExtent(Size s) { m_extent = s; }

  // --- container
  void SetHost(ControlHost* host) { m_pHost = host; }
  ControlHost* GetHost() const { return m_pHost; }
  void FireEvent(DispId id, const std::vector<Value>& args);
  void InvalidateControl();

  // --- window: the real one while in-place active, else a detached stand-in.
  WindowPort& Window() { return m_pWindow ? *m_pWindow : m_detachedWindow; }
  void AttachWindow(WindowPort* w) { m_pWindow = w; }
  // Dispatches through the message map; false: not handled, use the default.
  bool OnWndMsg(uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t& result);
  // Default processing of the message being handled.
  intptr_t Default();
  virtual int OnCreate() { return 0; }
  virtual void OnDestroy() {}
  // The standard left-button handling: default processing.
  void OnLButtonDown(uint32_t flags, Point point);
  void OnInitMenu(CMenu* menu);
  // Routes a command update for every item of the pop-up to the message map.
  void OnInitMenuPopup(CMenu* popup, uint32_t index, bool sysMenu);
  // Calls the update handler of pCmdUI's command; false when there is none.
  bool OnUpdateCommand(CCmdUI& cmdUI);

  // --- the window thread's user interface (menus, cursors, boxes, dialogs)
  UiPort& Ui() const { return m_pUi ? *m_pUi : NullUi(); }
  void SetUiPort(UiPort* ui) { m_pUi = ui; }
  // The framework's drawing entry.
  virtual void OnDraw(Canvas& dc, const Rect& bounds, const Rect& invalid);

 protected:
  uint32_t m_dwVersionLoaded = 0;

 private:
  OleColor m_clrBackColor = 0x80000005;  // COLOR_WINDOW
  FontDesc m_font;
  Size m_extent{12700, 6350};
  bool m_bModified = false;
  ControlHost* m_pHost = nullptr;
  WindowPort* m_pWindow = nullptr;
  DetachedWindow m_detachedWindow;
  UiPort* m_pUi = nullptr;
  // The message being handled, for Default(); nested messages (a modal loop
  // inside a handler) save and restore it.
  struct CurrentMessage {
    uint32_t msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
  } m_current;
};
