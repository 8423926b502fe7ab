// The registered OCX hosted by Wine's ATL, as a container holds it: its
// events advised to a NewEvent sink, its methods and properties by name, its
// context menu's commands and Find; and the container's message loop.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/wine/common/NewEventSink.h"
#include "tests/wine/common/OcxModule.h"
#include "tests/wine/common/UiRobot.h"

class HostedControl {
 public:
  HostedControl() = default;
  HostedControl(const HostedControl&) = delete;
  HostedControl& operator=(const HostedControl&) = delete;
  ~HostedControl() { Destroy(); }

  // Wine's ATL registers its window class once per process.
  static bool InitAtl() {
    static AtlAxGetControlFn get = [] {
      HMODULE atl = LoadLibraryW(L"atl.dll");
      if (!atl) return AtlAxGetControlFn(nullptr);
      auto init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
      if (!init || !init()) return AtlAxGetControlFn(nullptr);
      return reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    }();
    s_getControl = get;
    return get != nullptr;
  }

  bool Create(int x = 0) {
    if (!InitAtl()) return false;
    m_host = CreateWindowExW(0, L"AtlAxWin", L"VELMARICAE.VelmaricAECtrl.1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0,
                             800, 400, nullptr, nullptr, nullptr, nullptr);
    if (!m_host) return false;
    IUnknown* unk = nullptr;
    if (s_getControl(m_host, &unk) != S_OK || !unk) return false;
    unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_disp));
    IConnectionPointContainer* cpc = nullptr;
    unk->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
    unk->Release();
    if (!m_disp || !cpc) return false;
    cpc->FindConnectionPoint(kDiidVelmaricAEEvents, &m_cp);
    cpc->Release();
    return m_cp && m_cp->Advise(&sink, &m_cookie) == S_OK;
  }

  bool Connect() {
    VARIANT r;
    VariantInit(&r);
    return CallMethod(m_disp, L"ConnectOpc", &r) == S_OK && V_VT(&r) == VT_BOOL && V_BOOL(&r) == VARIANT_TRUE;
  }
  bool Disconnect() { return CallMethod(m_disp, L"DisconnectOpc", nullptr) == S_OK; }
  bool SetShort(const wchar_t* name, SHORT value) {
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    return PutProp(m_disp, name, v) == S_OK;
  }
  // Chooses a command from the control's context menu, as the operator does.
  bool Command(UINT id) {
    HWND hwnd = Window();
    if (!hwnd) return false;
    bool chosen = false;
    UiRobot robot;
    robot.Then("the context menu", [&] {
      HWND popup = UiRobot::MenuWindow();
      if (!popup) return false;
      chosen = UiRobot::Choose(popup, id);
      if (!chosen) EndMenu();
      return true;
    });
    OpenContextMenu(robot);
    return chosen && robot.Done();
  }
  // The control's own window.
  HWND Window() const { return m_host ? GetWindow(m_host, GW_CHILD) : nullptr; }
  HWND Host() const { return m_host; }
  IDispatch* Dispatch() const { return m_disp; }

  // Finds `text` in the list through the Find dialog, as the operator
  // does; false when the control answers with its "not found" box.
  bool Find(const std::wstring& text) {
    bool typed = false, missed = false;
    UiRobot robot;
    robot.Then("the context menu", [] {
      HWND popup = UiRobot::MenuWindow();
      return popup && UiRobot::Choose(popup, kFindCommand);
    });
    robot.Then("the Find dialog", [&] {
      HWND dialog = UiRobot::DialogWindow(L"Find");
      if (!dialog) return false;
      UiRobot::Type(GetDlgItem(dialog, kFindEdit), text);
      UiRobot::Press(dialog, IDOK);
      typed = true;
      return true;
    });
    // Only a miss shows a box; a hit ends the command without one.
    robot.Then("the miss box", [&] {
      HWND box = UiRobot::DialogWindow(L"Alarms & Events view");
      if (!box) return false;
      missed = true;
      UiRobot::Press(box, IDOK);
      return true;
    });
    OpenContextMenu(robot);
    return typed && !missed;
  }

  void Destroy() {
    if (m_cp) {
      m_cp->Unadvise(m_cookie);
      m_cp->Release();
      m_cp = nullptr;
    }
    if (m_disp) {
      m_disp->Release();
      m_disp = nullptr;
    }
    if (m_host && IsWindow(m_host)) DestroyWindow(m_host);
    m_host = nullptr;
  }

  NewEventSink sink;

 private:
  using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);
  static constexpr UINT kFindCommand = 32774;
  static constexpr int kFindEdit = 206;

  // The robot's steps run while the menu and what its command opens are up.
  void OpenContextMenu(UiRobot& robot) {
    HWND hwnd = Window();
    RECT r;
    GetWindowRect(hwnd, &r);
    robot.Start();
    SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(r.left + 40, r.top + 60));
    robot.Stop();
  }
  static inline AtlAxGetControlFn s_getControl = nullptr;

  HWND m_host = nullptr;
  IDispatch* m_disp = nullptr;
  IConnectionPoint* m_cp = nullptr;
  DWORD m_cookie = 0;
};

// The container's message loop until `until` holds or the time is up.
inline bool PumpUntil(DWORD ms, const std::function<bool()>& until = nullptr) {
  const DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (until && until()) return true;
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}
