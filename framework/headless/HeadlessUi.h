// A user interface without a screen, for the native tests. Menus record their
// items; tracking one sends WM_INITMENU and WM_INITMENUPOPUP to the owner (the
// test wires `send` to the control), snapshots the items with their grey
// states and returns the id a script chooses. Cursors, pointer clips, message
// boxes and dialogs are recorded; the message queue is a script of messages
// and actions.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "framework/Dialog.h"
#include "framework/headless/HeadlessListBox.h"
#include "framework/UiPort.h"

class HeadlessUi : public UiPort {
 public:
  struct Item {
    uint32_t flags = 0;
    uint32_t id = 0;
    String text;
    bool grayed = false;
    bool IsSeparator() const { return (flags & kMfSeparator) != 0; }
  };
  struct MenuData {
    uintptr_t handle = 0;
    std::vector<Item> items;
    bool destroyed = false;
  };
  struct Tracked {
    std::vector<Item> items;  // as they stood when the pop-up had opened
    uint32_t flags = 0;
    int32_t x = 0, y = 0;
    uintptr_t owner = 0;
  };
  struct CursorSet {
    bool system = true;
    SystemCursor cursor = SystemCursor::Arrow;
    uint32_t resourceId = 0;
    bool operator==(const CursorSet& o) const {
      return system == o.system && (system ? cursor == o.cursor : resourceId == o.resourceId);
    }
  };
  static CursorSet System(SystemCursor c) { return CursorSet{true, c, 0}; }
  static CursorSet Module(uint32_t id) { return CursorSet{false, SystemCursor::Arrow, id}; }
  struct Box {
    uintptr_t owner;
    String text, caption;
    uint32_t type;
  };

  // A running dialog: the fields as the user sees them. Text set into a field
  // notifies the dialog as an edit control does; a click on a check box
  // toggles it and notifies.
  class Dialog : public DialogPort {
   public:
    Dialog(CDialog& dialog) : m_dialog(dialog) {}
    String GetItemText(int id) override { return m_text[id]; }
    void SetItemText(int id, const String& text) override {
      m_text[id] = text;
      m_dialog.OnCommand(id, kNotifyEditChange);
    }
    void LimitText(int id, int32_t maxChars) override { m_limit[id] = maxChars; }
    void SetFocusTo(int id) override { m_focus = id; }
    bool IsChecked(int id) override { return m_checks[id]; }
    void SetCheck(int id, bool checked) override { m_checks[id] = checked; }
    ListBoxPort* ListBox(int id) override { return &m_lists[id]; }
    void Alert(const String& text) override { m_alerts.push_back(text); }
    void EndDialog(intptr_t result) override {
      m_bEnded = true;
      m_result = result;
    }
    // Replaces the field's text as typing would: cut at the field's limit.
    void Type(int id, const String& text);
    void Press(int id) { m_dialog.OnCommand(id); }
    void Click(int id) {
      m_checks[id] = !m_checks[id];
      m_dialog.OnCommand(id, kNotifyClicked);
    }

    CDialog& m_dialog;
    std::map<int, String> m_text;
    std::map<int, int32_t> m_limit;
    std::map<int, bool> m_checks;
    std::map<int, HeadlessListBox> m_lists;
    std::vector<String> m_alerts;
    int m_focus = 0;
    bool m_bEnded = false;
    intptr_t m_result = 0;
  };

  // UiPort
  std::unique_ptr<MenuPort> CreatePopupMenu() override;
  std::unique_ptr<MenuPort> MenuFromHandle(uintptr_t handle) override;
  void SetSystemCursor(SystemCursor cursor) override;
  void SetModuleCursor(uint32_t resourceId) override;
  Point GetCursorPos() override { return m_cursorPos; }
  void ClipCursor(const Rect* screen) override {
    m_clips.push_back(screen ? std::optional<Rect>(*screen) : std::nullopt);
  }
  bool GetMessage(UiMessage& msg) override;
  void DispatchMessage(const UiMessage& msg) override;
  void PostQuitMessage(int exitCode) override { m_quitPosted.push_back(exitCode); }
  int MessageBox(uintptr_t owner, const String& text, const String& caption, uint32_t type) override;
  intptr_t DoModal(CDialog& dialog, uintptr_t owner) override;

  // Queue script: a message, or an action run when GetMessage reaches it.
  void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    m_queue.push_back({UiMessage{0, message, wParam, lParam}, nullptr});
  }
  void Then(std::function<void()> action) { m_queue.push_back({UiMessage{}, std::move(action)}); }
  int MenusAlive() const;
  const CursorSet* LastCursor() const { return m_cursors.empty() ? nullptr : &m_cursors.back(); }

  // Wiring and scripts.
  std::function<intptr_t(uint32_t msg, uintptr_t wParam, intptr_t lParam)> send;
  std::function<uint32_t(const Tracked&)> chooseMenuItem;
  std::function<void(const Box&)> onMessageBox;
  std::function<void(Dialog&)> dialogScript;  // runs once the dialog is open
  std::function<void(const CursorSet&)> onSetCursor;

  // What happened.
  std::vector<Tracked> m_tracked;
  std::vector<CursorSet> m_cursors;
  std::vector<std::optional<Rect>> m_clips;
  std::vector<UiMessage> m_dispatched;
  std::vector<int> m_quitPosted;
  std::vector<Box> m_boxes;
  struct Shown {
    uint32_t templateId;
    uintptr_t owner;
  };
  std::vector<Shown> m_dialogs;
  bool m_bQueueRanDry = false;
  Point m_cursorPos;

 private:
  class Menu;
  struct Queued {
    UiMessage msg;
    std::function<void()> action;
  };
  std::map<uintptr_t, std::shared_ptr<MenuData>> m_menus;
  uintptr_t m_nextMenu = 0x2000;
  std::deque<Queued> m_queue;
};
