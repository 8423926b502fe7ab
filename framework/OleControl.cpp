#include "framework/OleControl.h"

COleControl::COleControl() = default;
COleControl::~COleControl() = default;

void COleControl::ExchangeVersion(PropExchange& px, uint32_t version) {
  uint32_t v = version;
  px.Version(v, version);
  if (px.IsLoading()) m_dwVersionLoaded = v;
}

void COleControl::DoPropExchange(PropExchange& px) {
  px.Long(u"_ExtentX", m_extent.cx, 12700);
  px.Long(u"_ExtentY", m_extent.cy, 6350);
  px.Color(u"BackColor", m_clrBackColor, px.IsLoading() ? AmbientBackColor() : m_clrBackColor);
  FontDesc def = px.IsLoading() ? AmbientFont() : m_font;
  px.Font(u"Font", m_font, def);
}

void COleControl::LoadFromBag(PropertyBagPort& bag) {
  BagExchange px(PropExchange::Mode::Load, bag);
  DoPropExchange(px);
  m_bModified = false;
  InvalidateControl();
}

bool COleControl::SaveToBag(PropertyBagPort& bag) {
  BagExchange px(PropExchange::Mode::Save, bag);
  DoPropExchange(px);
  return !px.Failed();
}

bool COleControl::LoadFromBytes(ByteReader& in) {
  StreamExchange px(in);
  DoPropExchange(px);
  // Only major version 1 is ours; anything else is not a stream we wrote.
  if (px.Failed() || (m_dwVersionLoaded >> 16) != 1) {
    OnResetState();
    m_bModified = false;
    return false;
  }
  m_bModified = false;
  InvalidateControl();
  return true;
}

void COleControl::SaveToBytes(ByteWriter& out) {
  StreamExchange px(out);
  DoPropExchange(px);
}

void COleControl::OnResetState() {
  ResetExchange px;
  DoPropExchange(px);
  InvalidateControl();
}

void COleControl::SetBackColor(OleColor c) {
  m_clrBackColor = c;
  SetModifiedFlag();
  if (m_pHost) m_pHost->OnPropertyChanged(kDispIdBackColor);
  InvalidateControl();
}

void COleControl::SetFont(const FontDesc& f) {
  m_font = f;
  SetModifiedFlag();
  if (m_pHost) m_pHost->OnPropertyChanged(kDispIdFont);
  InvalidateControl();
}

OleColor COleControl::AmbientBackColor() {
  if (m_pHost) {
    std::optional<Value> v = m_pHost->GetAmbient(kDispIdAmbientBackColor);
    if (v && (v->type == VType::Color || v->type == VType::I4)) return static_cast<OleColor>(v->i);
  }
  return 0x80000005;  // COLOR_WINDOW
}

FontDesc COleControl::AmbientFont() {
  if (m_pHost) {
    std::optional<Value> v = m_pHost->GetAmbient(kDispIdAmbientFont);
    if (v && v->type == VType::Font) return v->font;
  }
  return FontDesc();
}

void COleControl::FireEvent(DispId id, const std::vector<Value>& args) {
  if (m_pHost) m_pHost->FireEvent(id, args);
}

void COleControl::InvalidateControl() {
  if (m_pWindow && m_pWindow->IsWindow())
    m_pWindow->Invalidate(true);
  else if (m_pHost)
    m_pHost->InvalidateControl();
}

bool COleControl::OnWndMsg(uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
  const MessageMap& map = GetMessageMap();
  for (size_t k = 0; k < map.count; ++k) {
    if (map.entries[k].msg != msg) continue;
    const CurrentMessage outer = m_current;
    m_current = CurrentMessage{msg, wParam, lParam};
    const bool handled = map.entries[k].fn(*this, wParam, lParam, result);
    m_current = outer;
    return handled;
  }
  return false;
}

intptr_t COleControl::Default() {
  return Window().DefaultProc(m_current.msg, m_current.wParam, m_current.lParam);
}

void COleControl::OnLButtonDown(uint32_t flags, Point point) {
  Window().DefaultProc(kWmLButtonDown, flags, MakePointLParam(point));
}

void COleControl::OnInitMenu(CMenu*) { Default(); }

void COleControl::OnInitMenuPopup(CMenu* popup, uint32_t, bool sysMenu) {
  Default();
  if (sysMenu || !popup) return;
  CCmdUI cmdUI;
  cmdUI.m_pMenu = popup;
  const int32_t count = popup->GetMenuItemCount();
  for (int32_t k = 0; k < count; ++k) {
    const uint32_t id = popup->GetMenuItemID(k);
    if (id == 0 || id == kMenuItemSubMenu) continue;  // separators, sub-menus
    cmdUI.m_nID = id;
    cmdUI.m_nIndex = static_cast<uint32_t>(k);
    OnUpdateCommand(cmdUI);
  }
}

bool COleControl::OnUpdateCommand(CCmdUI& cmdUI) {
  const MessageMap& map = GetMessageMap();
  for (size_t k = 0; k < map.count; ++k) {
    const MessageEntry& e = map.entries[k];
    if (e.msg == kMsgUpdateCommandUi && e.id == cmdUI.m_nID) {
      intptr_t unused = 0;
      e.fn(*this, 0, reinterpret_cast<intptr_t>(&cmdUI), unused);
      return true;
    }
  }
  return false;
}

CMenu msg_detail::MenuOf(COleControl& c, uintptr_t handle) { return CMenu::FromHandle(c.Ui(), handle); }

void COleControl::OnDraw(Canvas& dc, const Rect& bounds, const Rect&) {
  dc.FillRect(bounds, TranslateColor(m_clrBackColor, dc));
}
