// Drives this thread's modal user interface from inside its own loops, as a
// user would: a thread timer runs queued steps while a pop-up menu, a dialog
// or a message box is open. Each step returns true when it is done (a step
// that waits for a window returns false until the window is there). A step
// that does not finish in time ends the menu and closes this thread's dialogs,
// so that a test fails instead of hanging.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class UiRobot {
 public:
  using Step = std::function<bool()>;

  UiRobot() { s_current = this; }
  ~UiRobot() {
    Stop();
    s_current = nullptr;
  }
  UiRobot(const UiRobot&) = delete;
  UiRobot& operator=(const UiRobot&) = delete;

  void Then(std::string what, Step step) { m_steps.push_back({std::move(what), std::move(step)}); }
  void Start(UINT periodMs = 25, DWORD stepTimeoutMs = 15000) {
    m_timeout = stepTimeoutMs;
    m_stepStart = GetTickCount();
    m_timer = SetTimer(nullptr, 0, periodMs, &UiRobot::Tick);
  }
  void Stop() {
    if (m_timer) KillTimer(nullptr, m_timer);
    m_timer = 0;
  }
  bool Done() const { return m_steps.empty() && m_stuck.empty(); }
  // The step that did not finish, or empty.
  const std::string& Stuck() const { return m_stuck; }
  std::string Pending() const { return m_steps.empty() ? std::string() : m_steps.front().what; }

  // ---- What a step can look at and do.

  // This thread's open pop-up menu window (class "#32768").
  static HWND MenuWindow() { return FindOwn(L"#32768", nullptr); }
  // This thread's dialog or message box (class "#32770") with this caption.
  static HWND DialogWindow(const wchar_t* caption) { return FindOwn(L"#32770", caption); }

  struct MenuItem {
    std::wstring text;
    UINT id = 0;
    bool separator = false;
    bool grayed = false;
  };
  static std::vector<MenuItem> Items(HMENU menu) {
    std::vector<MenuItem> items;
    const int n = GetMenuItemCount(menu);
    for (int k = 0; k < n; ++k) {
      wchar_t text[256] = {};
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = 255;
      GetMenuItemInfoW(menu, static_cast<UINT>(k), TRUE, &info);
      MenuItem item;
      item.text = text;
      item.id = info.wID;
      item.separator = (info.fType & MFT_SEPARATOR) != 0;
      item.grayed = (info.fState & MFS_GRAYED) != 0;
      items.push_back(item);
    }
    return items;
  }
  static HMENU MenuOf(HWND popup) { return reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)); }

  // Chooses an item with the keyboard: down to it (separators are skipped),
  // then Enter.
  static bool Choose(HWND popup, UINT id) {
    int downs = 0;
    for (const MenuItem& i : Items(MenuOf(popup))) {
      if (i.separator) continue;
      ++downs;
      if (i.id == id) {
        for (int k = 0; k < downs; ++k) Key(popup, VK_DOWN);
        Key(popup, VK_RETURN);
        return true;
      }
    }
    return false;
  }
  static void Key(HWND hwnd, UINT vk) {
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
  }
  // The message box's text: its static control that is not the icon.
  static std::wstring BoxText(HWND box) {
    std::wstring found;
    EnumChildWindows(box, &UiRobot::TextOfStatic, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  // Types into an edit control as the keyboard would (its limit applies).
  static void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
  }
  static void Press(HWND dialog, int button) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

 private:
  struct Queued {
    std::string what;
    Step step;
  };

  struct Query {
    const wchar_t* cls;
    const wchar_t* caption;
    HWND found;
  };
  static BOOL CALLBACK Matches(HWND hwnd, LPARAM lp) {
    Query& q = *reinterpret_cast<Query*>(lp);
    wchar_t c[64] = {}, t[256] = {};
    GetClassNameW(hwnd, c, 64);
    GetWindowTextW(hwnd, t, 256);
    if (lstrcmpW(c, q.cls) == 0 && IsWindowVisible(hwnd) && (!q.caption || lstrcmpW(t, q.caption) == 0)) {
      q.found = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  static HWND FindOwn(const wchar_t* cls, const wchar_t* caption) {
    Query q = {cls, caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &UiRobot::Matches, reinterpret_cast<LPARAM>(&q));
    return q.found;
  }
  static BOOL CALLBACK TextOfStatic(HWND child, LPARAM out) {
    wchar_t cls[32] = {}, text[512] = {};
    GetClassNameW(child, cls, 32);
    GetWindowTextW(child, text, 512);
    if (lstrcmpiW(cls, L"Static") == 0 && text[0]) {
      *reinterpret_cast<std::wstring*>(out) = text;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK CancelDialog(HWND hwnd, LPARAM) {
    wchar_t c[64] = {};
    GetClassNameW(hwnd, c, 64);
    if (lstrcmpW(c, L"#32770") == 0) PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    UiRobot* self = s_current;
    if (!self || self->m_busy) return;
    self->m_busy = true;
    self->Run();
    self->m_busy = false;
  }

  void Run() {
    while (!m_steps.empty()) {
      if (m_steps.front().step()) {
        m_steps.pop_front();
        m_stepStart = GetTickCount();
        continue;
      }
      if (GetTickCount() - m_stepStart > m_timeout) GiveUp();
      return;
    }
  }

  void GiveUp() {
    m_stuck = m_steps.front().what;
    m_steps.clear();
    EndMenu();
    EnumThreadWindows(GetCurrentThreadId(), &UiRobot::CancelDialog, 0);
  }

  static inline UiRobot* s_current = nullptr;
  std::deque<Queued> m_steps;
  std::string m_stuck;
  UINT_PTR m_timer = 0;
  DWORD m_timeout = 15000;
  DWORD m_stepStart = 0;
  bool m_busy = false;
};
