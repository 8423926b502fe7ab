#include "viewer/PropertyFrame.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/win32/ComObject.h"

namespace {

constexpr UINT kShownMessage = WM_APP + 1;

class PropertyFrame;

// One per page: the page's way back to the frame. It outlives the frame if a
// page keeps it too long, so the frame detaches it on close.
class PageSite final : public ComObject<IPropertyPageSite> {
 public:
  explicit PageSite(PropertyFrame* frame) : m_frame(frame) {}
  void Detach() { m_frame = nullptr; }

  STDMETHODIMP OnStatusChange(DWORD flags) override;
  STDMETHODIMP GetLocaleID(LCID* lcid) override {
    if (!lcid) return E_POINTER;
    *lcid = GetUserDefaultLCID();
    return S_OK;
  }
  STDMETHODIMP GetPageContainer(IUnknown** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  PropertyFrame* m_frame;
};

class PropertyFrame {
 public:
  PropertyFrame(HWND owner, IUnknown* object, const PropertyFrameOptions& options)
      : m_owner(owner), m_object(object), m_options(options) {}

  HRESULT Run(const std::wstring& caption);
  void OnStatusChange(DWORD flags);
  void End(HRESULT result) {
    m_result = result;
    m_done = true;
    if (m_dlg) PostMessageW(m_dlg, WM_NULL, 0, 0);  // wakes the loop if the call came from elsewhere
  }

  static PropertyFrame* s_open;

 private:
  struct Page {
    IPropertyPage* page = nullptr;
    PageSite* site = nullptr;
    std::wstring title;
    SIZE size = {};
    bool active = false;
    HWND hwnd = nullptr;  // the page's window once active, if it could be told apart
  };

  HRESULT CreatePages();
  static void Release(Page& p);
  void ReleasePages();
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
  INT_PTR OnMessage(UINT msg, WPARAM w, LPARAM l);
  void OnInitDialog();
  void Layout();
  void ShowPage(int index, bool focus);
  bool ApplyAll();
  void UpdateApply();
  bool PreTranslate(MSG& msg);
  bool InPage(const Page& p, HWND hwnd) const { return p.hwnd && (hwnd == p.hwnd || IsChild(p.hwnd, hwnd)); }
  void FocusPage(const Page& p);

  HWND m_owner;
  IUnknown* m_object;
  PropertyFrameOptions m_options;
  std::vector<Page> m_pages;
  HWND m_dlg = nullptr, m_tab = nullptr, m_ok = nullptr, m_apply = nullptr;
  RECT m_pageRect = {};
  int m_current = -1;
  bool m_done = false, m_busy = false;
  HRESULT m_result = S_FALSE;
};

PropertyFrame* PropertyFrame::s_open = nullptr;

STDMETHODIMP PageSite::OnStatusChange(DWORD flags) {
  if (m_frame) m_frame->OnStatusChange(flags);
  return S_OK;
}

HRESULT PropertyFrame::CreatePages() {
  ISpecifyPropertyPages* spp = nullptr;
  if (!m_object || FAILED(m_object->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&spp))))
    return E_NOINTERFACE;
  CAUUID ids = {};
  HRESULT hr = spp->GetPages(&ids);
  spp->Release();
  if (FAILED(hr)) return hr;
  for (ULONG k = 0; k < ids.cElems; ++k) {
    Page p;
    // Pages this machine cannot create (the stock font and colour pages under
    // Wine) are left out.
    if (FAILED(CoCreateInstance(ids.pElems[k], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                reinterpret_cast<void**>(&p.page))))
      continue;
    p.site = new PageSite(this);
    PROPPAGEINFO info = {};
    info.cb = sizeof info;
    bool ok = SUCCEEDED(p.page->SetPageSite(p.site)) && SUCCEEDED(p.page->GetPageInfo(&info)) &&
              SUCCEEDED(p.page->SetObjects(1, &m_object));
    if (info.pszTitle) p.title = info.pszTitle;
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
    p.size = info.size;
    if (p.title.empty()) p.title = L"Page " + std::to_wstring(m_pages.size() + 1);
    if (ok) m_pages.push_back(p);
    else Release(p);
  }
  CoTaskMemFree(ids.pElems);
  if (ids.cElems == 0) return E_NOINTERFACE;
  return m_pages.empty() ? E_FAIL : S_OK;
}

void PropertyFrame::Release(Page& p) {
  if (p.active) p.page->Deactivate();
  p.page->SetObjects(0, nullptr);
  p.page->SetPageSite(nullptr);
  p.page->Release();
  p.site->Detach();
  p.site->Release();
}

void PropertyFrame::ReleasePages() {
  for (Page& p : m_pages) Release(p);
  m_pages.clear();
}

HRESULT PropertyFrame::Run(const std::wstring& caption) {
  HRESULT hr = CreatePages();
  if (FAILED(hr)) {
    ReleasePages();
    return hr;
  }
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);

  // An empty dialog in "MS Shell Dlg" 8; its controls are made in
  // WM_INITDIALOG, sized to the pages.
  std::vector<WORD> t;
  auto dword = [&t](DWORD d) {
    t.push_back(LOWORD(d));
    t.push_back(HIWORD(d));
  };
  auto text = [&t](const std::wstring& s) {
    t.insert(t.end(), s.begin(), s.end());
    t.push_back(0);
  };
  dword(DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  dword(WS_EX_CONTROLPARENT);
  t.insert(t.end(), {0, 0, 0, 100, 100, 0, 0});  // no items, position, size, no menu, default class
  text(caption);
  t.push_back(8);
  text(L"MS Shell Dlg");
  std::vector<DWORD> aligned((t.size() + 1) / 2);  // a template must be DWORD aligned
  std::memcpy(aligned.data(), t.data(), t.size() * sizeof(WORD));

  m_dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(aligned.data()),
                                     m_owner, &PropertyFrame::DialogProc, reinterpret_cast<LPARAM>(this));
  if (!m_dlg) {
    hr = HRESULT_FROM_WIN32(GetLastError());
    ReleasePages();
    return FAILED(hr) ? hr : E_FAIL;
  }
  const bool ownerEnabled = m_owner && IsWindowEnabled(m_owner);
  if (ownerEnabled) EnableWindow(m_owner, FALSE);
  ShowWindow(m_dlg, SW_SHOW);
  PostMessageW(m_dlg, kShownMessage, 0, 0);
  PropertyFrame* outer = s_open;
  s_open = this;
  MSG msg;
  while (!m_done) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
      m_result = S_FALSE;
      break;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  s_open = outer;
  // The owner comes back first, so that it is activated when the frame goes.
  if (ownerEnabled) EnableWindow(m_owner, TRUE);
  ReleasePages();
  DestroyWindow(m_dlg);
  m_dlg = nullptr;
  return m_result;
}

INT_PTR CALLBACK PropertyFrame::DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, l);
    auto* self = reinterpret_cast<PropertyFrame*>(l);
    self->m_dlg = hwnd;
    self->OnInitDialog();
    return FALSE;  // the focus is set
  }
  auto* self = reinterpret_cast<PropertyFrame*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->OnMessage(msg, w, l) : FALSE;
}

INT_PTR PropertyFrame::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
      // A page's message box inside Apply runs a loop of its own: a second
      // OK or Apply from there would apply again underneath it.
      if (m_busy) return TRUE;
      switch (LOWORD(w)) {
        case IDOK:
          if (ApplyAll()) End(S_OK);
          return TRUE;
        case IDCANCEL: End(S_FALSE); return TRUE;
        case kFrameApplyId: ApplyAll(); return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const NMHDR* h = reinterpret_cast<const NMHDR*>(l);
      if (h->hwndFrom == m_tab && h->code == TCN_SELCHANGE) {
        ShowPage(TabCtrl_GetCurSel(m_tab), false);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      if (!m_busy) End(S_FALSE);
      return TRUE;
    case kShownMessage:
      UpdateWindow(m_dlg);
      if (m_options.onShown) m_options.onShown(m_dlg);
      return TRUE;
  }
  return FALSE;
}

void PropertyFrame::OnInitDialog() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 10, 10, m_dlg,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    SendMessageW(c, WM_SETFONT, SendMessageW(m_dlg, WM_GETFONT, 0, 0), FALSE);
    return c;
  };
  m_tab = make(WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, kFrameTabId);
  m_ok = make(L"BUTTON", L"OK", BS_DEFPUSHBUTTON, IDOK);
  make(L"BUTTON", L"Cancel", BS_PUSHBUTTON, IDCANCEL);
  m_apply = make(L"BUTTON", L"&Apply", BS_PUSHBUTTON, kFrameApplyId);
  EnableWindow(m_apply, FALSE);
  for (size_t k = 0; k < m_pages.size(); ++k) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &m_pages[k].title[0];
    TabCtrl_InsertItem(m_tab, static_cast<int>(k), &item);
  }
  Layout();
  const int first = m_options.firstPage >= 0 && m_options.firstPage < static_cast<int>(m_pages.size())
                        ? m_options.firstPage
                        : 0;
  ShowPage(first, true);
}

// The tab area fits the largest page; the buttons sit below it on the right.
void PropertyFrame::Layout() {
  RECT du = {7, 7, 50, 14}, gapDu = {4, 0, 0, 0};
  MapDialogRect(m_dlg, &du);
  MapDialogRect(m_dlg, &gapDu);
  const int margin = du.left, marginY = du.top, buttonW = du.right, buttonH = du.bottom, gap = gapDu.left;
  LONG pageW = 0, pageH = 0;
  for (const Page& p : m_pages) {
    pageW = std::max(pageW, p.size.cx);
    pageH = std::max(pageH, p.size.cy);
  }
  RECT tab = {0, 0, pageW, pageH};
  TabCtrl_AdjustRect(m_tab, TRUE, &tab);
  int tabW = tab.right - tab.left, tabH = tab.bottom - tab.top;
  // Every caption in one row: measured on a tab control wide enough for all.
  MoveWindow(m_tab, 0, 0, 4000, tabH, FALSE);
  RECT last = {};
  if (TabCtrl_GetItemRect(m_tab, static_cast<int>(m_pages.size()) - 1, &last)) tabW = std::max<int>(tabW, last.right + 4);
  tabW = std::max(tabW, 3 * buttonW + 2 * gap);
  MoveWindow(m_tab, margin, marginY, tabW, tabH, FALSE);
  m_pageRect = {margin, marginY, margin + tabW, marginY + tabH};
  TabCtrl_AdjustRect(m_tab, FALSE, &m_pageRect);

  const int clientW = 2 * margin + tabW, buttonY = 2 * marginY + tabH, clientH = buttonY + buttonH + marginY;
  const int ids[] = {IDOK, IDCANCEL, kFrameApplyId};
  for (int k = 0; k < 3; ++k)
    MoveWindow(GetDlgItem(m_dlg, ids[k]), clientW - margin - (3 - k) * buttonW - (2 - k) * gap, buttonY, buttonW,
               buttonH, FALSE);

  RECT win = {0, 0, clientW, clientH};
  AdjustWindowRectEx(&win, static_cast<DWORD>(GetWindowLongW(m_dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(m_dlg, GWL_EXSTYLE)));
  const int w = win.right - win.left, h = win.bottom - win.top;
  RECT around = {};
  if (!m_owner || !GetWindowRect(m_owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  int x = std::max<int>(0, (around.left + around.right - w) / 2);
  int y = std::max<int>(0, (around.top + around.bottom - h) / 2);
  SetWindowPos(m_dlg, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PropertyFrame::ShowPage(int index, bool focus) {
  if (index < 0 || index >= static_cast<int>(m_pages.size())) return;
  if (m_current >= 0 && m_current != index && m_pages[m_current].active) m_pages[m_current].page->Show(SW_HIDE);
  Page& p = m_pages[index];
  if (!p.active) {
    // Pages stay active once shown, so that edits not yet applied survive a
    // change of tab. The new child of the frame is the page's window.
    std::vector<HWND> before;
    for (HWND c = GetWindow(m_dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) before.push_back(c);
    if (SUCCEEDED(p.page->Activate(m_dlg, &m_pageRect, TRUE))) {
      p.active = true;
      for (HWND c = GetWindow(m_dlg, GW_CHILD); c && !p.hwnd; c = GetWindow(c, GW_HWNDNEXT))
        if (std::find(before.begin(), before.end(), c) == before.end()) p.hwnd = c;
    }
    // The page above the tab control gets the mouse and comes first in the
    // tab order, the tab control last.
    if (p.hwnd) SetWindowPos(p.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(m_tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (p.active) p.page->Show(SW_SHOW);
  m_current = index;
  if (TabCtrl_GetCurSel(m_tab) != index) TabCtrl_SetCurSel(m_tab, index);
  if (focus) FocusPage(p);
}

void PropertyFrame::FocusPage(const Page& p) {
  if (!p.hwnd || InPage(p, GetFocus())) return;
  HWND first = GetNextDlgTabItem(p.hwnd, nullptr, FALSE);
  if (first) SendMessageW(m_dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

bool PropertyFrame::ApplyAll() {
  m_busy = true;
  bool ok = true;
  for (size_t k = 0; k < m_pages.size() && ok; ++k) {
    if (m_pages[k].page->IsPageDirty() != S_OK) continue;
    // A page that refuses has told the user why; it is shown so the user can
    // correct it, and nothing after it is applied.
    if (FAILED(m_pages[k].page->Apply())) {
      ShowPage(static_cast<int>(k), false);
      FocusPage(m_pages[k]);
      ok = false;
    }
  }
  m_busy = false;
  UpdateApply();
  return ok;
}

void PropertyFrame::UpdateApply() {
  if (!m_apply) return;
  bool dirty = false;
  for (const Page& p : m_pages) dirty = dirty || p.page->IsPageDirty() == S_OK;
  if (!dirty && GetFocus() == m_apply) SendMessageW(m_dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_ok), TRUE);
  EnableWindow(m_apply, dirty);
}

void PropertyFrame::OnStatusChange(DWORD flags) {
  if (!m_apply) return;
  if (flags & PROPPAGESTATUS_DIRTY) EnableWindow(m_apply, TRUE);
  else if (flags & PROPPAGESTATUS_CLEAN) UpdateApply();
}

bool PropertyFrame::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  // Keys for other windows, a page's message box among them, are not ours.
  if (msg.hwnd != m_dlg && !IsChild(m_dlg, msg.hwnd)) return false;
  const int n = static_cast<int>(m_pages.size());
  if (msg.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && n > 1) {
    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn, Ctrl+PgUp: the next or previous tab.
    int step = 0;
    if (msg.wParam == VK_TAB) step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    else if (msg.wParam == VK_NEXT) step = 1;
    else if (msg.wParam == VK_PRIOR) step = -1;
    if (step) {
      ShowPage((m_current + step + n) % n, true);
      return true;
    }
  }
  // Tab between the page and the buttons, Esc for Cancel and Enter for OK
  // belong to the frame, unless the focused field wants the key: a page that
  // runs its own dialog navigation would keep them inside itself.
  const bool navigation = (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) &&
                          (msg.wParam == VK_TAB || msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN);
  if (navigation) {
    LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (!(wants & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS)) && !(msg.wParam == VK_TAB && (wants & DLGC_WANTTAB)))
      return IsDialogMessageW(m_dlg, &msg) != FALSE;
  }
  // The page sees its other keys first (its accelerators and mnemonics); an
  // active page whose window could not be told apart sees all of them.
  if (m_current >= 0) {
    Page& p = m_pages[m_current];
    if (p.active && (!p.hwnd || InPage(p, msg.hwnd)) && p.page->TranslateAccelerator(&msg) == S_OK) return true;
  }
  return IsDialogMessageW(m_dlg, &msg) != FALSE;
}

}  // namespace

HRESULT ShowPropertyFrame(HWND owner, const std::wstring& caption, IUnknown* object,
                          const PropertyFrameOptions& options) {
  PropertyFrame frame(owner, object, options);
  return frame.Run(caption);
}

bool CancelPropertyFrame() {
  if (!PropertyFrame::s_open) return false;
  PropertyFrame::s_open->End(S_FALSE);
  return true;
}
