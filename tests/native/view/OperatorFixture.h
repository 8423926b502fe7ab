// The control as an operator meets it: a headless window whose client area
// starts at (100, 50) on the screen, a headless user interface whose menus,
// message boxes and dialogs reach the control through its message map, and a
// version port the test fills. Painted at 7 x 16 metrics: rows 20 px high,
// columns Rank [0,56] Timestamp [57,337] Source [338,618] Message [619,955]
// Category [956,1180] Severity [1181,1265].
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessUi.h"
#include "framework/headless/QuickClock.h"
#include "framework/headless/HeadlessWindow.h"
#include "framework/headless/RecordingCanvas.h"
#include "framework/headless/RecordingHost.h"
#include "resources/resource.h"

class FakeVersion : public VersionPort {
 public:
  struct File {
    bool hasInfo = true;
    bool hasTranslation = true;
    uint32_t translation = 0x04B00409;
    std::map<String, String> strings;
  };
  String ModuleFileName() override { return m_module; }
  std::unique_ptr<VersionInfo> Read(const String& path) override {
    m_read.push_back(path);
    auto it = m_files.find(path);
    if (it == m_files.end() || !it->second.hasInfo) return nullptr;
    return std::make_unique<Info>(it->second);
  }

  String m_module = u"C:\\Controls\\Velmaric AE.ocx";
  std::map<String, File> m_files;
  std::vector<String> m_read;

 private:
  class Info : public VersionInfo {
   public:
    explicit Info(File f) : m_f(std::move(f)) {}
    bool QueryTranslation(uint32_t& first) override {
      if (!m_f.hasTranslation) return false;
      first = m_f.translation;
      return true;
    }
    bool QueryString(const String& subBlock, String& value) override {
      auto it = m_f.strings.find(subBlock);
      if (it == m_f.strings.end()) return false;
      value = it->second;
      return true;
    }

   private:
    File m_f;
  };
};

class OperatorTest : public ::testing::Test {
 protected:
  using Item = HeadlessUi::Item;
  using Tracked = HeadlessUi::Tracked;

  OperatorTest() : m_ctrl(Platform()) {
    m_wnd.m_bIsWindow = true;
    m_wnd.m_rcClient = {0, 0, 400, 200};
    m_wnd.m_screenOrigin = {100, 50};
    m_ctrl.AttachWindow(&m_wnd);
    m_ctrl.SetHost(&m_host);
    m_ui.send = [this](uint32_t msg, uintptr_t w, intptr_t l) { return Send(msg, w, l); };
  }
  ~OperatorTest() override {
    m_ctrl.SetHost(nullptr);
    m_ctrl.AttachWindow(nullptr);
  }

  ControlPlatform Platform() {
    ControlPlatform p = ControlPlatform::Default();
    p.clock = &m_clock;
    p.ui = &m_ui;
    p.version = &m_version;
    return p;
  }

  // A message as the window procedure delivers it: the map, else the default.
  intptr_t Send(uint32_t msg, uintptr_t w = 0, intptr_t l = 0) {
    intptr_t r = 0;
    if (!m_ctrl.OnWndMsg(msg, w, l, r)) r = m_wnd.DefaultProc(msg, w, l);
    return r;
  }
  static intptr_t At(int32_t x, int32_t y) { return MakePointLParam(Point{x, y}); }

  void Paint(int32_t width = 400, int32_t height = 200) {
    m_wnd.m_rcClient = {0, 0, width, height};
    RecordingCanvas dc;
    const Rect bounds{0, 0, width, height};
    m_ctrl.OnDraw(dc, bounds, bounds);
  }
  void AddRow(const String& source, const String& message = u"m", const String& severity = u"500") {
    m_ctrl.Store().AddEvent(u"ts", source, message, u"Cat", severity, 1);
  }
  void AddRows(int n) {
    for (int i = 0; i < n; ++i) AddRow(u"Src");
  }

  // A right-click at a client point: the menu as it stood when it had opened.
  // `choose` picks the command (0: dismiss).
  Tracked OpenMenu(int32_t clientX, int32_t clientY, uint32_t choose = 0) {
    m_ui.chooseMenuItem = [choose](const Tracked&) { return choose; };
    const size_t before = m_ui.m_tracked.size();
    Send(kWmContextMenu, m_wnd.m_hwnd, At(clientX + 100, clientY + 50));
    EXPECT_EQ(m_ui.m_tracked.size(), before + 1);
    return m_ui.m_tracked.empty() ? Tracked{} : m_ui.m_tracked.back();
  }
  static std::vector<String> Texts(const Tracked& t) {
    std::vector<String> out;
    for (const Item& i : t.items) out.push_back(i.IsSeparator() ? u"-" : i.text);
    return out;
  }
  static const Item* Find(const Tracked& t, uint32_t id) {
    for (const Item& i : t.items)
      if (!i.IsSeparator() && i.id == id) return &i;
    return nullptr;
  }
  static bool Grayed(const Tracked& t, uint32_t id) {
    const Item* i = Find(t, id);
    return i && i->grayed;
  }

  QuickClock m_clock;
  HeadlessUi m_ui;
  FakeVersion m_version;
  CVelmaricAECtrl m_ctrl;
  HeadlessWindow m_wnd;
  RecordingHost m_host;
};
