// The control the targets exercise. One control per process and per role,
// put back to the state of a new control before every input: building one
// per input would start and stop a session worker thread each time, and
// that would cost more than the work under test.
#pragma once
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessUi.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/RecordingExchange.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/native/view/ViewPeer.h"

namespace fuzz {

using Entry = PropEntry;

// The session worker's clock: its 200-ms passes take 20 ms here, so an idle
// worker costs next to nothing and a control is destroyed in milliseconds.
class FuzzClock : public Clock {
 public:
  uint32_t GetTickCount() override { return m_tick.load(); }
  void Sleep(uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms < 20 ? ms : 20));
    m_tick += ms;
  }

 private:
  std::atomic<uint32_t> m_tick{1000};
};

inline ControlPlatform FuzzPlatform() {
  static FuzzClock clock;
  ControlPlatform p = ControlPlatform::Default();
  p.clock = &clock;
  return p;
}

// The property set of a control that was just made, without a container.
inline const std::vector<Entry>& DefaultSnapshot() {
  static const std::vector<Entry> defaults = [] {
    CVelmaricAECtrl fresh(FuzzPlatform());
    return Snapshot(fresh);
  }();
  return defaults;
}

// A control with its own headless window and user interface, both replaced
// by fresh ones on every Reset (the interface records every menu it made).
class FuzzControl {
 public:
  FuzzControl() : m_ctrl(new CVelmaricAECtrl(FuzzPlatform())) {}
  // Never destroyed: stopping the session worker at exit only costs time.
  FuzzControl(const FuzzControl&) = delete;

  CVelmaricAECtrl& Ctrl() { return *m_ctrl; }
  HeadlessWindow& Wnd() { return *m_wnd; }
  HeadlessUi& Ui() { return *m_ui; }

  // Back to a new control's state: default properties, an empty store with
  // its initial layout, no view state, no find text, no container.
  CVelmaricAECtrl& Reset() {
    CVelmaricAECtrl& c = *m_ctrl;
    c.AttachWindow(nullptr);
    c.SetHost(nullptr);
    m_ui = std::make_unique<HeadlessUi>();
    m_wnd = std::make_unique<HeadlessWindow>();
    c.Platform().ui = m_ui.get();
    c.SetUiPort(m_ui.get());
    c.View().ResetFind();
    c.ResetState();
    c.SetModifiedFlag(false);
    c.Store() = EventList();
    Inside(c.View()).m_nCharWidth = 0;
    Inside(c.View()).m_nRowHeight = 0;
    Inside(c.View()).m_rcBounds = Rect{};
    Inside(c.View()).m_nHScrollPos = 0;
    Inside(c.View()).m_nFirstRow = 0;
    Inside(c.View()).m_nFindRow = 0;
    Inside(c.View()).m_nFindColumn = -1;
    Inside(c.View()).m_bBusy = false;
    Inside(c.View()).m_bSizing = false;
    FUZZ_CHECK(Snapshot(c) == DefaultSnapshot());
    return c;
  }

  // Attaches the headless window (a control that is in-place active) and
  // wires the interface's menus and dialogs back to the control.
  void Activate(Rect client, Point screenOrigin) {
    m_wnd->m_bIsWindow = true;
    m_wnd->m_rcClient = client;
    m_wnd->m_screenOrigin = screenOrigin;
    m_ctrl->AttachWindow(m_wnd.get());
    m_ui->send = [this](uint32_t msg, uintptr_t w, intptr_t l) { return Send(msg, w, l); };
  }

  // A message as the window procedure delivers it: the map, else the default.
  intptr_t Send(uint32_t msg, uintptr_t w = 0, intptr_t l = 0) {
    intptr_t r = 0;
    if (!m_ctrl->OnWndMsg(msg, w, l, r)) r = m_wnd->DefaultProc(msg, w, l);
    return r;
  }

 private:
  CVelmaricAECtrl* m_ctrl;
  std::unique_ptr<HeadlessUi> m_ui = std::make_unique<HeadlessUi>();
  std::unique_ptr<HeadlessWindow> m_wnd = std::make_unique<HeadlessWindow>();
};

// Writes a custom property as automation does: through the dispatch table,
// with a value of the property's own type.
inline void PutProperty(CVelmaricAECtrl& c, const DispEntry& e, Input& in) {
  Value v;
  switch (e.type) {
    case VType::I2: v = Value::I2(in.Edgy<int16_t>()); break;
    case VType::Bool: v = Value::Bool(in.Bool()); break;
    case VType::Color: v = Value::Color(in.Colour()); break;
    case VType::BStr: v = Value::Str(in.Bool() ? in.Word() : in.Text(12)); break;
    default: return;
  }
  e.put(c, v);
}

// A FieldOrder text: a permutation mostly, anything sometimes.
inline String AnyFieldOrder(Input& in) {
  if (in.Pick(4) == 0) return in.Text(8);
  String s = u"012345";
  for (size_t k = 5; k > 0; --k) std::swap(s[k], s[in.Pick(k + 1)]);
  return s;
}

}  // namespace fuzz
