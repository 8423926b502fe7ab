// Message maps: a table from window message to a typed handler. Each entry
// is made by a cracker that unpacks wParam/lParam the way Win32 packs them,
// so the same table serves the real window and the headless tests.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/Types.h"

class COleControl;

enum : uint32_t {
  kWmCreate = 0x0001, kWmDestroy = 0x0002, kWmSize = 0x0005, kWmPaint = 0x000F,
  kWmEraseBkgnd = 0x0014, kWmSetCursor = 0x0020, kWmContextMenu = 0x007B,
  kWmTimer = 0x0113, kWmHScroll = 0x0114, kWmVScroll = 0x0115, kWmInitMenu = 0x0116,
  kWmInitMenuPopup = 0x0117, kWmMouseFirst = 0x0200, kWmLButtonDown = 0x0201,
  kWmLButtonUp = 0x0202, kWmMouseLast = 0x020E
};

struct MessageEntry {
  uint32_t msg;
  // Returns true when the message is handled (result set); false hands it on
  // to default processing.
  bool (*fn)(COleControl&, uintptr_t wParam, intptr_t lParam, intptr_t& result);
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
}  // namespace msg_detail

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
// bool OnSetCursor(uintptr_t window, int hitTest, int mouseMsg)
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
            Point p{msg_detail::Lo(static_cast<uintptr_t>(l)), msg_detail::Hi(static_cast<uintptr_t>(l))};
            (static_cast<msg_detail::C<H>&>(c).*H)(static_cast<uint32_t>(w), p);
            r = 0;
            return true;
          }};
}
// void OnContextMenu(uintptr_t window, Point screen)
template <auto H>
constexpr MessageEntry MsgContextMenu() {
  return {kWmContextMenu, [](COleControl& c, uintptr_t w, intptr_t l, intptr_t& r) {
            Point p{msg_detail::Lo(static_cast<uintptr_t>(l)), msg_detail::Hi(static_cast<uintptr_t>(l))};
            (static_cast<msg_detail::C<H>&>(c).*H)(w, p);
            r = 0;
            return true;
          }};
}
