#include "framework/headless/HeadlessUi.h"

#include "framework/MessageMap.h"

class HeadlessUi::Menu : public MenuPort {
 public:
  Menu(HeadlessUi& ui, std::shared_ptr<MenuData> data, bool owned)
      : m_ui(ui), m_data(std::move(data)), m_bOwned(owned) {}
  ~Menu() override {
    if (m_bOwned) Destroy();
  }
  uintptr_t Handle() const override { return m_data->handle; }
  bool Append(uint32_t flags, uint32_t id, const String& text) override {
    if (m_data->destroyed) return false;
    Item item;
    item.flags = flags;
    item.id = (flags & kMfSeparator) ? 0 : id;
    item.text = (flags & kMfSeparator) ? String() : text;
    item.grayed = (flags & (kMfGrayed | kMfDisabled)) != 0;
    m_data->items.push_back(item);
    return true;
  }
  int32_t GetItemCount() override { return static_cast<int32_t>(m_data->items.size()); }
  uint32_t GetItemId(int32_t position) override {
    if (position < 0 || position >= GetItemCount()) return 0xFFFFFFFFu;
    return m_data->items[static_cast<size_t>(position)].id;
  }
  uint32_t EnableItem(uint32_t item, uint32_t flags) override {
    Item* it = nullptr;
    if (flags & kMfByPosition) {
      if (item < m_data->items.size()) it = &m_data->items[item];
    } else {
      for (Item& i : m_data->items)
        if (!i.IsSeparator() && i.id == item) it = &i;
    }
    if (!it) return 0xFFFFFFFFu;
    const uint32_t previous = it->grayed ? (kMfGrayed | kMfDisabled) : kMfEnabled;
    it->grayed = (flags & (kMfGrayed | kMfDisabled)) != 0;
    return previous;
  }
  uint32_t Track(uint32_t flags, int32_t x, int32_t y, uintptr_t owner) override {
    if (m_ui.send) {
      m_ui.send(kWmInitMenu, m_data->handle, 0);
      m_ui.send(kWmInitMenuPopup, m_data->handle, 0);
    }
    Tracked t{m_data->items, flags, x, y, owner};
    m_ui.m_tracked.push_back(t);
    const uint32_t id = m_ui.chooseMenuItem ? m_ui.chooseMenuItem(t) : 0;
    // Like USER: only an enabled command item can be chosen.
    for (const Item& i : m_data->items)
      if (!i.IsSeparator() && i.id == id && !i.grayed) return id;
    return 0;
  }
  bool Destroy() override {
    if (m_data->destroyed) return false;
    m_data->destroyed = true;
    return true;
  }

 private:
  HeadlessUi& m_ui;
  std::shared_ptr<MenuData> m_data;
  bool m_bOwned;
};

void HeadlessUi::Dialog::Type(int id, const String& text) {
  auto limit = m_limit.find(id);
  SetItemText(id, (limit != m_limit.end() && text.size() > static_cast<size_t>(limit->second))
                      ? text.substr(0, static_cast<size_t>(limit->second))
                      : text);
}

std::unique_ptr<MenuPort> HeadlessUi::CreatePopupMenu() {
  auto data = std::make_shared<MenuData>();
  data->handle = m_nextMenu++;
  m_menus[data->handle] = data;
  return std::make_unique<Menu>(*this, data, true);
}

std::unique_ptr<MenuPort> HeadlessUi::MenuFromHandle(uintptr_t handle) {
  auto it = m_menus.find(handle);
  if (it == m_menus.end()) return nullptr;
  return std::make_unique<Menu>(*this, it->second, false);
}

int HeadlessUi::MenusAlive() const {
  int n = 0;
  for (const auto& kv : m_menus) n += !kv.second->destroyed;
  return n;
}

void HeadlessUi::SetSystemCursor(SystemCursor cursor) {
  m_cursors.push_back(System(cursor));
  if (onSetCursor) onSetCursor(m_cursors.back());
}

void HeadlessUi::SetModuleCursor(uint32_t resourceId) {
  m_cursors.push_back(Module(resourceId));
  if (onSetCursor) onSetCursor(m_cursors.back());
}

bool HeadlessUi::GetMessage(UiMessage& msg) {
  while (!m_queue.empty()) {
    Queued q = std::move(m_queue.front());
    m_queue.pop_front();
    if (q.action) {
      q.action();
      continue;
    }
    msg = q.msg;
    return msg.message != kWmQuit;
  }
  // A real queue would wait here for ever: the script was too short.
  m_bQueueRanDry = true;
  msg = UiMessage{0, kWmQuit, 0, 0};
  return false;
}

void HeadlessUi::DispatchMessage(const UiMessage& msg) {
  m_dispatched.push_back(msg);
  if (send) send(msg.message, msg.wParam, msg.lParam);
}

int HeadlessUi::MessageBox(uintptr_t owner, const String& text, const String& caption, uint32_t type) {
  m_boxes.push_back({owner, text, caption, type});
  if (onMessageBox) onMessageBox(m_boxes.back());
  return kIdOk;
}

intptr_t HeadlessUi::DoModal(CDialog& dialog, uintptr_t owner) {
  m_dialogs.push_back({dialog.TemplateId(), owner});
  Dialog port(dialog);
  dialog.Attach(port);
  if (!port.m_bEnded && dialogScript) dialogScript(port);
  dialog.Detach();
  // A dialog the script left open is closed as the user would: Cancel.
  return port.m_bEnded ? port.m_result : static_cast<intptr_t>(kIdCancel);
}
