// Message maps: a table from window message to a typed handler. Each entry
// is made by a cracker that unpacks wParam/lParam the way Win32 packs them,
// so the same table serves the real window and the headless tests. A handler
// that wants default processing as well asks for it (COleControl::Default).
// Command-update entries bind a command id to its update handler; they are
// found by id when a pop-up menu opens, never by a window message.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/Menu.h"
#include "framework/Types.h"

class COleControl;
class CCmdUI;

enum : uint32_t {
  kWmCreate = 0x0001, kWmDestroy = 0x0002, kWmSize = 0x0005, kWmPaint = 0x000F,
  kWmQuit = 0x0012, kWmEraseBkgnd = 0x0014, kWmSetCursor = 0x0020, kWmContextMenu = 0x007B,
  kWmCommand = 0x0111, kWmTimer = 0x0113, kWmHScroll = 0x0114, kWmVScroll = 0x0115,
  kWmInitMenu = 0x0116, kWmInitMenuPopup = 0x0117, kWmMouseFirst = 0x0200, kWmMouseMove = 0x0200,
  kWmLButtonDown = 0x0201, kWmLButtonUp = 0x0202, kWmRButtonDown = 0x0204, kWmMouseLast = 0x020E,
  kWmCaptureChanged = 0x0215
};
// The `msg` of a command-update entry: no window message has this number.
constexpr uint32_t kMsgUpdateCommandUi = 0xFFFFFFFFu;

struct MessageEntry {
  uint32_t msg;
  // Returns true when the message is handled (result set); false hands it on
  // to default processing.
  bool (*fn)(COleControl&, uintptr_t wParam, intptr_t lParam, intptr_t& result);
  uint32_t id = 0;  // command-update entries: the command id
};

struct MessageMap {
  const MessageEntry* entries;
  size_t count;
};

namespace msg_detail {
template <class M>
struct ClassOf;
template <class C, class R, class... A>
struct ClassOf<R (C::*)(A...)> {
  using Class = C;
};
template <auto H>
using C = typename ClassOf<decltype(H)>::Class;
inline int16_t Lo(uintptr_t v) { return static_cast<int16_t>(v & 0xFFFF); }
inline int16_t Hi(uintptr_t v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }
inline Point PointOf(intptr_t l) {
  return Point{Lo(static_cast<uintptr_t>(l)), Hi(static_cast<uintptr_t>(l))};
}
// Handlers receive the menu of WM_INITMENU / WM_INITMENUPOPUP wrapped (not owned).
CMenu MenuOf(COleControl& c, uintptr_t handle);
}  // namespace msg_detail

// MAKELPARAM of a point: two signed 16-bit halves.
inline intptr_t MakePointLParam(Point p) {
  return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(p.x)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(p.y)) << 16));
}

// int OnCreate(): -1 fails the creation.
template <auto H>
constexpr MessageEntry MsgCreate() {
  return {kWmCreate, [](COleControl& c, uintptr_t, intptr_t, intptr_t& r) {
            r = (static_cast<msg_detail::C<H>&>(c).*H)();
            return true;
          }};
}
// void OnDestroy()
template <auto H>
constexpr MessageEntry MsgDestroy() {
  return {kWmDestroy, [](COleControl& c, uintptr_t, intptr_t, intptr_t& r) {
            (static_cast<msg_detail::C<H>&>(c).*H)();
            r = 0;
            return true;
          }};
}
// void OnTimer(uint32_t id); the message then goes on to default processing.
template <auto H>
constexpr MessageEntry MsgTimer() {
  return {kWmTimer, [](COleControl& c, uintptr_t w, intptr_t, intptr_t&) {
            (static_cast<msg_detail::C<H>&>(c).*H)(static_cast<uint32_t>(w));
            return false;
          }};
}
// void OnHScroll(int code, int trackPos) / OnVScroll: the position is the
// unsigned 16-bit high word.
template <auto H>
constexpr MessageEntry MsgHScroll() {
  return {kWmHScroll, [](COleControl& c, uintptr_t w, intptr_t, intptr_t& r) {
            (static_cast<msg_detail::C<H>&>(c).*H)(static_cast<int>(w & 0xFFFF),
                                                   static_cast<int>((w >> 16) & 0xFFFF));
            r = 0;
            return true;
          }};
}
template <auto H>
constexpr MessageEntry MsgVScroll() {
  return {kWmVScroll, [](COleControl& c, uintptr_t w, intptr_t, intptr_t& r) {
            (static_cast<msg_detail::C<H>&>(c).*H)(static_cast<int>(w & 0xFFFF),
                                                   static_cast<int>((w >> 16) & 0xFFFF));
            r = 0;
            return true;
          }};
}
// bool OnSetCursor(uintptr_t window, int hitTest, int mouseMsg): the handler's
// result is the message's; a handler that does not set the cursor itself
// returns Default().
template <auto H>
constexpr MessageEntry MsgSetCursor() {
  return {kWmSetCursor, [](COleControl& c, uintptr_t w, intptr_t l, intptr_t& r) {
            r = (static_cast<msg_detail::C<H>&>(c).*H)(
                w, msg_detail::Lo(static_cast<uintptr_t>(l)),
                static_cast<uint16_t>(msg_detail::Hi(static_cast<uintptr_t>(l))));
            return true;
          }};
}
// void OnLButtonDown(uint32_t flags, Point client)
template <auto H>
constexpr MessageEntry MsgLButtonDown() {
  return {kWmLButtonDown, [](COleControl& c, uintptr_t w, intptr_t l, intptr_t& r) {
            (static_cast<msg_detail::C<H>&>(c).*H)(static_cast<uint32_t>(w), msg_detail::PointOf(l));
            r = 0;
            return true;
          }};
}
// void OnContextMenu(uintptr_t window, Point screen)
template <auto H>
constexpr MessageEntry MsgContextMenu() {
  return {kWmContextMenu, [](COleControl& c, uintptr_t w, intptr_t l, intptr_t& r) {
            (static_cast<msg_detail::C<H>&>(c).*H)(w, msg_detail::PointOf(l));
            r = 0;
            return true;
          }};
}
// void OnInitMenu(CMenu* menu)
template <auto H>
constexpr MessageEntry MsgInitMenu() {
  return {kWmInitMenu, [](COleControl& c, uintptr_t w, intptr_t, intptr_t& r) {
            CMenu menu = msg_detail::MenuOf(c, w);
            (static_cast<msg_detail::C<H>&>(c).*H)(&menu);
            r = 0;
            return true;
          }};
}
// void OnInitMenuPopup(CMenu* popup, uint32_t index, bool sysMenu)
template <auto H>
constexpr MessageEntry MsgInitMenuPopup() {
  return {kWmInitMenuPopup, [](COleControl& c, uintptr_t w, intptr_t l, intptr_t& r) {
            CMenu menu = msg_detail::MenuOf(c, w);
            (static_cast<msg_detail::C<H>&>(c).*H)(&menu, static_cast<uint32_t>(l & 0xFFFF),
                                                   ((static_cast<uintptr_t>(l) >> 16) & 0xFFFF) != 0);
            r = 0;
            return true;
          }};
}
// void OnUpdateXxx(CCmdUI* pCmdUI) for command `Id`; lParam carries the CCmdUI.
template <uint32_t Id, auto H>
constexpr MessageEntry MsgUpdateCommandUI() {
  return {kMsgUpdateCommandUi,
          [](COleControl& c, uintptr_t, intptr_t l, intptr_t& r) {
            (static_cast<msg_detail::C<H>&>(c).*H)(reinterpret_cast<CCmdUI*>(l));
            r = 0;
            return true;
          },
          Id};
}
