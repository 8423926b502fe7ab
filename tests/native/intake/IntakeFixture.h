// A control on the simulated clock, the fake zone and the fake server, in a
// recording container with a headless window that has been painted once
// (rows 20 px high in a 150-px client area: six visible rows).
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "FakeAEServer.h"
#include "FakeTime.h"
#include "SessionPeer.h"
#include "SimClock.h"
#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessUi.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/RecordingHost.h"
#include "intake/OpcAESession.h"
#include "tests/native/view/ViewPeer.h"

// 2024-03-05 07:08:09.012 UTC as a FILETIME.
constexpr uint64_t kSampleTime = (1709622489ULL + 11644473600ULL) * 10000000ULL + 120000ULL;

class IntakeTest : public ::testing::Test {
 protected:
  IntakeTest() : server(&clock) {
    clock.Join();
    platform = ControlPlatform{&clock, &zone, &server};
    platform.ui = &ui;
    MakeControl();
  }
  ~IntakeTest() override {
    ctrl.reset();
    clock.Leave();
  }

  void MakeControl() {
    ctrl = std::make_unique<CVelmaricAECtrl>(platform);
    server.WaitLoaded();  // the worker takes part in simulated time from here
    ctrl->SetHost(&host);
    window.m_bIsWindow = true;
    window.m_rcClient = {0, 0, 400, 150};
    ctrl->AttachWindow(&window);
    Inside(ctrl->View()).m_rcBounds = window.m_rcClient;
    Inside(ctrl->View()).m_nRowHeight = 20;
    ui.send = [this](uint32_t msg, uintptr_t w, intptr_t l) {
      intptr_t r = 0;
      if (!ctrl->OnWndMsg(msg, w, l, r)) r = window.DefaultProc(msg, w, l);
      return r;
    };
  }

  OpcAESession& Session() { return *ctrl->GetIntake().Session(); }
  void Queue(const std::vector<AEEventRecord>& recs) {
    AEEventCallback(Session().ClientHandle(), 0, 0, static_cast<uint32_t>(recs.size()), recs.data());
  }
  void Queue(uint32_t category, uint32_t severity = 500, const char16_t* msg = u"m",
             uint64_t time = kSampleTime) {
    Queue({AEEventRecord{time, u"src", msg, category, severity}});
  }
  // One timer period, then the tick.
  void Tick() {
    clock.Sleep(500);
    ctrl->OnTimer(1);
  }
  int32_t Rows() { return ctrl->Store().GetRowCount(); }
  String Cell(int32_t field, int32_t row) { return ctrl->Store().GetCellText(field, row); }
  int32_t State() { return Session().State(); }

  SimClock clock;
  FakeTime zone;
  FakeAEServer server;
  ControlPlatform platform;
  RecordingHost host;
  HeadlessUi ui;
  HeadlessWindow window;
  std::unique_ptr<CVelmaricAECtrl> ctrl;
};
