// The operator's commands on the real OCX, hosted in a window of ours and fed
// by our WTclient.dll's scripted server, driven as a user would: a
// right-click (WM_CONTEXTMENU) opens the pop-up, which is read back from its
// "#32768" window and answered with the keyboard; the Find dialog is typed
// into; message boxes are found by their captions, read and closed; a header
// border is dragged with posted mouse messages. Results are read back through
// automation and through the control's picture (IViewObject::Draw).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/wine/common/EventSink.h"
#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/Scenario.h"
#include "tests/wine/common/UiRobot.h"
#include "tests/wine/hosting/TestSite.h"

namespace {

// The menu's command ids.
enum : UINT {
  kRefresh = 32768, kClearAll, kConnect, kDisconnect, kSortAscending, kSortDescending, kFind, kRepeatFind,
  kAbout, kResetProperties
};

const OcxModule& Ocx() {
  static OcxModule* module = new OcxModule;  // stays until the process ends
  return *module;
}

// Five events, one per severity class B to F, each source and message its own.
const char kScenario[] =
    "category 1 0x104 Process message\n"
    "event now 0x104 100 Area1.Src1 alpha pump tripped\n"
    "event now 0x104 700 Area1.Src2 bravo level high\n"
    "event now 0x104 300 Area1.Src3 charlie valve open\n"
    "event now 0x104 900 Area1.Src4 delta pump restarted\n"
    "event now 0x104 500 Area1.Src5 echo pressure low\n"
    "silence 600000\n";
const char* const kSources[] = {"", "Src1", "Src2", "Src3", "Src4", "Src5"};

// Row backgrounds of classes A to F (BackColorA..F, dispids 19..24).
const COLORREF kClassBack[6] = {RGB(0xC0, 0, 0), RGB(0, 0xC0, 0), RGB(0, 0, 0xC0),
                                RGB(0xC0, 0xC0, 0), RGB(0xC0, 0, 0xC0), RGB(0, 0xC0, 0xC0)};
const COLORREF kBack = RGB(0x30, 0x20, 0x10);

void Pump(DWORD ms, const std::function<bool()>& until = nullptr) {
  const DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    PumpPending();
    if (until && until()) return;
    Sleep(10);
  }
}

class Operator : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScenario("operator", kScenario);
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(Ocx().Loaded());
    m_form = CreateFormWindow(kPos.right + 20, kPos.bottom + 20, L"operator test form");
    ASSERT_NE(m_form, nullptr);
    m_site = new TestSite(m_form, kPos);
    ASSERT_EQ(Ocx().Create(IID_IOleObject, &m_ole), S_OK);
    ASSERT_EQ(m_ole->SetClientSite(m_site), S_OK);
    IPersistStreamInit* init = QueryAs<IPersistStreamInit>(m_ole, IID_IPersistStreamInit);
    ASSERT_NE(init, nullptr);
    ASSERT_EQ(init->InitNew(), S_OK);
    init->Release();
    RECT pos = kPos;
    ASSERT_EQ(m_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, m_form, &pos), S_OK);
    IOleWindow* w = QueryAs<IOleWindow>(m_ole, IID_IOleWindow);
    ASSERT_NE(w, nullptr);
    w->GetWindow(&m_hwnd);
    w->Release();
    ASSERT_NE(m_hwnd, nullptr);
    m_disp = QueryAs<IDispatch>(m_ole, IID_IDispatch);
    ASSERT_NE(m_disp, nullptr);

    IConnectionPointContainer* cpc = QueryAs<IConnectionPointContainer>(m_ole, IID_IConnectionPointContainer);
    ASSERT_NE(cpc, nullptr);
    ASSERT_EQ(cpc->FindConnectionPoint(kDiidVelmaricAEEvents, &m_cp), S_OK);
    cpc->Release();
    m_events = new EventSink;
    ASSERT_EQ(m_cp->Advise(m_events, &m_cookie), S_OK);

    PutI4(L"BackColor", kBack);
    for (int c = 0; c < 6; ++c) {
      wchar_t name[] = L"BackColorA";
      name[9] = static_cast<wchar_t>(L'A' + c);
      PutI4(name, kClassBack[c]);
    }
    MeasureFont();
    Pump(100);
  }

  void TearDown() override {
    if (m_cp) {
      m_cp->Unadvise(m_cookie);
      m_cp->Release();
    }
    if (m_events) m_events->Release();
    if (m_disp) m_disp->Release();
    if (m_ole) {
      m_ole->Close(OLECLOSE_NOSAVE);
      m_ole->SetClientSite(nullptr);
      EXPECT_EQ(m_ole->Release(), 0u);
    }
    if (m_site) m_site->Release();
    if (m_form) DestroyWindow(m_form);
    PumpPending();
    OleUninitialize();
  }

  void PutI4(const wchar_t* name, LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    ASSERT_EQ(PutProp(m_disp, name, v), S_OK) << name;
  }
  void PutStr(const wchar_t* name, const wchar_t* value) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);
    EXPECT_EQ(PutProp(m_disp, name, v), S_OK) << name;
    VariantClear(&v);
  }
  LONG GetI4(const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(GetProp(m_disp, name, &v), S_OK) << name;
    VARIANT i4;
    VariantInit(&i4);
    VariantChangeType(&i4, &v, 0, VT_I4);
    VariantClear(&v);
    return V_I4(&i4);
  }
  std::wstring GetStr(const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(GetProp(m_disp, name, &v), S_OK) << name;
    std::wstring s = V_VT(&v) == VT_BSTR && V_BSTR(&v) ? V_BSTR(&v) : L"";
    VariantClear(&v);
    return s;
  }

  // Row height and average character width of the control's font.
  void MeasureFont() {
    TEXTMETRICW tm = {};
    ASSERT_TRUE(ControlFontMetrics(m_disp, tm));
    m_rowHeight = tm.tmHeight + 4;
    m_charWidth = tm.tmAveCharWidth;
    ASSERT_GT(m_charWidth, 0);
  }

  // Connects through the control's automation and waits for the five rows.
  void ConnectAndWait() {
    VARIANT r;
    VariantInit(&r);
    ASSERT_EQ(CallMethod(m_disp, L"ConnectOpc", &r), S_OK);
    ASSERT_EQ(V_BOOL(&r), VARIANT_TRUE);
    WaitForRows();
  }
  void WaitForRows() {
    Pump(10000, [this] { return NewEvents(*m_events) >= 5u; });
    ASSERT_EQ(NewEvents(*m_events), 5u);
  }

  // Right-click at a client point, with the robot's steps run while the menu
  // and whatever the command opens are up.
  void RightClick(int x, int y, UiRobot& robot) {
    POINT p = {x, y};
    ClientToScreen(m_hwnd, &p);
    robot.Start();
    SendMessageW(m_hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hwnd), MAKELPARAM(p.x, p.y));
    robot.Stop();
    EXPECT_TRUE(robot.Done()) << "stuck at: " << robot.Stuck() << robot.Pending();
  }
  // Opens the menu, reads it and chooses `id` (0: dismisses it).
  std::vector<UiRobot::MenuItem> Menu(int x, int y, UINT id) {
    std::vector<UiRobot::MenuItem> items;
    UiRobot robot;
    robot.Then("the pop-up menu", [&] {
      HWND popup = UiRobot::MenuWindow();
      if (!popup) return false;
      items = UiRobot::Items(UiRobot::MenuOf(popup));
      if (!id || !UiRobot::Choose(popup, id)) EndMenu();
      return true;
    });
    RightClick(x, y, robot);
    return items;
  }

  // Chooses `id` from the menu and reads and closes the message box it shows.
  std::wstring BoxAfter(UINT id, const wchar_t* caption) {
    std::wstring text = L"<no box>";
    UiRobot robot;
    robot.Then("menu", [id] {
      HWND popup = UiRobot::MenuWindow();
      return popup && UiRobot::Choose(popup, id);
    });
    robot.Then("message box", [&] {
      HWND box = UiRobot::DialogWindow(caption);
      if (!box) return false;
      text = UiRobot::BoxText(box);
      UiRobot::Press(box, IDOK);
      return true;
    });
    RightClick(20, 40, robot);
    return text;
  }

  // Classes of the rows as drawn, top to bottom (-1: a band of no class colour).
  std::vector<int> DrawnClasses(Dib* keep = nullptr) {
    Dib local(kPos.right - kPos.left, kPos.bottom - kPos.top);
    Dib& dib = keep ? *keep : local;
    EXPECT_EQ(DrawInto(m_ole, dib, RECTL{0, 0, dib.Width(), dib.Height()}), S_OK);
    std::vector<int> classes;
    for (int k = 0; (k + 2) * m_rowHeight <= dib.Height(); ++k) {
      const COLORREF c = dib.Pixel(2, (k + 1) * m_rowHeight + m_rowHeight / 2 + 1);
      if (c == kBack) break;
      auto it = std::find(std::begin(kClassBack), std::end(kClassBack), c);
      classes.push_back(it == std::end(kClassBack) ? -1 : static_cast<int>(it - std::begin(kClassBack)));
    }
    return classes;
  }

  static constexpr RECT kPos = {0, 0, 460, 260};
  HWND m_form = nullptr, m_hwnd = nullptr;
  TestSite* m_site = nullptr;
  IOleObject* m_ole = nullptr;
  IDispatch* m_disp = nullptr;
  IConnectionPoint* m_cp = nullptr;
  DWORD m_cookie = 0;
  EventSink* m_events = nullptr;
  int m_rowHeight = 0, m_charWidth = 0;
};

constexpr RECT Operator::kPos;

std::vector<std::wstring> Texts(const std::vector<UiRobot::MenuItem>& items) {
  std::vector<std::wstring> t;
  for (const auto& i : items) t.push_back(i.separator ? L"-" : i.text);
  return t;
}
// Grey states of the command items (USER keeps separators greyed anyway).
std::vector<bool> Greys(const std::vector<UiRobot::MenuItem>& items) {
  std::vector<bool> g;
  for (const auto& i : items)
    if (!i.separator) g.push_back(i.grayed);
  return g;
}

TEST_F(Operator, TheMenuBeforeAndAfterConnectingFromIt) {
  // Empty and disconnected: only Connect and About can be chosen.
  std::vector<UiRobot::MenuItem> items = Menu(20, 40, kConnect);
  EXPECT_EQ(Texts(items), (std::vector<std::wstring>{L"Clear All", L"Refresh events", L"-",
                                                     L"Sort by Rank (Ascending)", L"Sort by Rank (Descending)", L"-",
                                                     L"Find...", L"Repeat last find", L"-", L"Connect to AE server",
                                                     L"Disconnect from AE server", L"-", L"About"}));
  // Clear, Refresh, both sorts, Find, Repeat, Connect, Disconnect, About.
  EXPECT_EQ(Greys(items), (std::vector<bool>{true, true, true, true, true, true, false, true, false}));
  const UINT ids[] = {kClearAll, kRefresh, 0, kSortAscending, kSortDescending, 0, kFind, kRepeatFind, 0,
                      kConnect, kDisconnect, 0, kAbout};
  for (size_t k = 0; k < items.size() && k < 13; ++k) EXPECT_EQ(items[k].id, ids[k]) << k;
  // Connect was chosen: the handler returned once connected, and rows come.
  WaitForRows();

  items = Menu(20, 40, 0);
  EXPECT_EQ(Greys(items), (std::vector<bool>{false, false, false, false, false, true, true, false, false}));

  // Disconnect from the menu: Connect is offered again.
  Menu(20, 40, kDisconnect);
  items = Menu(20, 40, 0);
  ASSERT_EQ(items.size(), 13u);
  EXPECT_FALSE(items[9].grayed);
  EXPECT_TRUE(items[10].grayed);
  EXPECT_TRUE(items[1].grayed);
}

TEST_F(Operator, SortBothWaysAndClearAll) {
  ConnectAndWait();
  // Newest at the top: echo (D), delta (F), charlie (C), bravo (E), alpha (B).
  EXPECT_EQ(DrawnClasses(), (std::vector<int>{3, 5, 2, 4, 1}));
  PutStr(L"FieldOrder", L"501234");  // Severity shown first
  Pump(600);                          // a repaint lays the columns out anew

  std::vector<UiRobot::MenuItem> items = Menu(5, 40, kSortAscending);
  ASSERT_GE(items.size(), 5u);
  EXPECT_EQ(items[3].text, L"Sort by Severity (Ascending)");
  EXPECT_EQ(DrawnClasses(), (std::vector<int>{1, 2, 3, 4, 5}));
  Menu(5, 40, kSortDescending);
  EXPECT_EQ(DrawnClasses(), (std::vector<int>{5, 4, 3, 2, 1}));

  Menu(5, 40, kClearAll);
  EXPECT_TRUE(DrawnClasses().empty());
  items = Menu(5, 40, 0);
  EXPECT_TRUE(items[0].grayed) << "Clear All on an empty list";
}

TEST_F(Operator, FindThroughTheDialogThenRepeatThenTheMissBox) {
  ConnectAndWait();
  LRESULT limit = 0;
  UiRobot robot;
  robot.Then("menu", [] {
    HWND popup = UiRobot::MenuWindow();
    return popup && UiRobot::Choose(popup, kFind);
  });
  robot.Then("Find dialog", [&] {
    HWND dlg = UiRobot::DialogWindow(L"Find");
    if (!dlg) return false;
    HWND edit = GetDlgItem(dlg, 206);
    limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
    UiRobot::Type(edit, L"pump");
    UiRobot::Press(dlg, IDOK);
    return true;
  });
  RightClick(20, 40, robot);
  EXPECT_EQ(limit, 255);

  // "pump" is in delta's and alpha's messages; delta (F) is drawn second from
  // the top. Its Message cell is inverted, nothing else.
  Dib dib(kPos.right - kPos.left, kPos.bottom - kPos.top);
  ASSERT_EQ(DrawnClasses(&dib), (std::vector<int>{3, 5, 2, 4, 1}));
  auto invertedRows = [&](Dib& d) {
    std::vector<int> rows;
    for (int k = 0; k < 5; ++k) {
      const RECT band = {0, (k + 1) * m_rowHeight + 2, d.Width(), (k + 2) * m_rowHeight};
      bool any = false;
      for (COLORREF c : kClassBack) any = any || d.Count(band, c ^ 0x00FFFFFF) > 0;
      if (any) rows.push_back(k);
    }
    return rows;
  };
  EXPECT_EQ(invertedRows(dib), (std::vector<int>{1}));

  Menu(20, 40, kRepeatFind);
  Dib again(dib.Width(), dib.Height());
  DrawnClasses(&again);
  EXPECT_EQ(invertedRows(again), (std::vector<int>{4})) << "alpha, the bottom row";

  EXPECT_EQ(BoxAfter(kRepeatFind, L"Alarms & Events view"), L"The specified text was not found.    ");
  EXPECT_EQ(BoxAfter(kRepeatFind, L"Alarms & Events view"), L"The specified text was not found.    ");
}

TEST_F(Operator, AboutShowsTheFileVersion) {
  EXPECT_EQ(BoxAfter(kAbout, L"Velmaric Alarms & Events ActiveX   "), L"Version: 1.1.2.0\n");
}

TEST_F(Operator, ResetAllPropertiesFromTheMenu) {
  PutI4(L"HideResetPropertiesMenuItem", 0);
  PutStr(L"FieldOrder", L"543210");
  PutI4(L"Field2Width", 3);
  PutI4(L"HideClearAllMenuItem", -1);
  std::vector<UiRobot::MenuItem> items = Menu(20, 40, kResetProperties);
  ASSERT_EQ(items.size(), 13u);
  EXPECT_EQ(items[11].text, L"Reset all properties to default");
  EXPECT_EQ(items[12].text, L"About");
  EXPECT_EQ(GetI4(L"HideResetPropertiesMenuItem"), -1);
  EXPECT_EQ(GetI4(L"HideClearAllMenuItem"), 0);
  EXPECT_EQ(GetStr(L"FieldOrder"), L"012345");
  EXPECT_EQ(GetI4(L"Field2Width"), 40);
  EXPECT_EQ(GetI4(L"BackColorC"), 0xFFFFFF);
  items = Menu(20, 40, 0);
  for (const auto& i : items) EXPECT_NE(i.id, static_cast<UINT>(kResetProperties));
  EXPECT_EQ(items[0].text, L"Clear All");
}

TEST_F(Operator, DraggingAHeaderBorderResizesTheColumn) {
  Pump(600);  // painted: the header is laid out
  const int border = 8 * m_charWidth;  // Rank's right edge
  POINT screen = {border + 2, 5};
  ClientToScreen(m_hwnd, &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(m_hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  HMODULE ocx = GetModuleHandleW(L"Velmaric AE.ocx");
  EXPECT_EQ(GetCursor(), LoadCursorW(ocx, MAKEINTRESOURCEW(204))) << "the sizing cursor over the border";

  const int release = border + 5 * m_charWidth + 3;
  PostMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(border + 2, 5));
  PostMessageW(m_hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(border + 30, 5));
  PostMessageW(m_hwnd, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(border + 40, 5));
  PostMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(release, 5));
  Pump(300);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetI4(L"Field0Width"), release / m_charWidth);
  EXPECT_EQ(GetI4(L"Field1Width"), 40);

  // With sizing switched off the same press changes nothing.
  PutI4(L"DisableColumnSizing", -1);
  Pump(600);
  const int now = GetI4(L"Field0Width") * m_charWidth;
  PostMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(now, 5));
  PostMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(now + 50, 5));
  Pump(300);
  EXPECT_EQ(GetI4(L"Field0Width"), release / m_charWidth);
}

}  // namespace
