// A control painted on a recording canvas, with a headless window of its own.
#pragma once
#include <gtest/gtest.h>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/QuickClock.h"
#include "framework/headless/RecordingCanvas.h"

using Op = RecordingCanvas::Op;
using OpKind = RecordingCanvas::OpKind;

class ViewTest : public ::testing::Test {
 protected:
  ViewTest() : m_ctrl(Platform()) {
    m_wnd.m_bIsWindow = true;
    m_ctrl.AttachWindow(&m_wnd);
  }
  ~ViewTest() override { m_ctrl.AttachWindow(nullptr); }

  // Rows at the bottom, so row i has rank i + 1.
  void AddRows(int n, const String& severity = u"500") {
    for (int i = 0; i < n; ++i)
      m_ctrl.Store().AddEvent(u"2024-01-01 00:00:00", u"Src", u"Msg", u"Cat", severity, 1);
  }
  void AddRow(const String& source, const String& message, const String& severity) {
    m_ctrl.Store().AddEvent(u"ts", source, message, u"Cat", severity, 1);
  }

  void Paint(int32_t width, int32_t height) {
    m_dc.Clear();
    const Rect bounds{0, 0, width, height};
    m_ctrl.OnDraw(m_dc, bounds, bounds);
  }

  // What ended up in the off-screen bitmap.
  std::vector<Op> Memory(OpKind kind) const { return m_dc.OpsOf(kind, 1); }
  // Row texts: those below the header (at the default row height of 20).
  std::vector<Op> RowTexts() const {
    std::vector<Op> out;
    for (const Op& op : Memory(OpKind::DrawText))
      if (op.rect.top >= 20) out.push_back(op);
    return out;
  }
  // Row bands: the solid fills below the header.
  std::vector<Op> RowBands() const {
    std::vector<Op> out;
    for (const Op& op : Memory(OpKind::FillRect))
      if (op.rect.top > 0) out.push_back(op);
    return out;
  }
  const Rect& Field(int f) { return m_ctrl.Store().m_rcField[f]; }

  ControlPlatform Platform() {
    ControlPlatform p = ControlPlatform::Default();
    p.clock = &m_clock;
    return p;
  }

  QuickClock m_clock;
  CVelmaricAECtrl m_ctrl;
  HeadlessWindow m_wnd;
  RecordingCanvas m_dc;
};
