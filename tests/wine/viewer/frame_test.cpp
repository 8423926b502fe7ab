// The property frame over pages of the test's own, registered as class
// objects of this process: the order of the calls each page gets, which pages
// Apply reaches, the keys a page sees, and that every reference is given
// back. The frame is driven from inside its modal loop by a thread timer.
// (The real pages, keyboard navigation and Cancel: viewer_test.)
#include <gtest/gtest.h>

#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "tests/wine/common/UiRobot.h"
#include "tests/wine/common/WineTestUtil.h"
#include "viewer/PropertyFrame.h"

#include <commctrl.h>

namespace {

const wchar_t kCaption[] = L"Test Properties";
// Alpha, Beta, Gamma; the fourth id is registered nowhere.
const CLSID kPageIds[4] = {{0x7d1e0001, 0x51c2, 0x4d0e, {0x9a, 0x11, 0x3c, 0x5e, 0x02, 0x6b, 0x4f, 0x01}},
                           {0x7d1e0002, 0x51c2, 0x4d0e, {0x9a, 0x11, 0x3c, 0x5e, 0x02, 0x6b, 0x4f, 0x01}},
                           {0x7d1e0003, 0x51c2, 0x4d0e, {0x9a, 0x11, 0x3c, 0x5e, 0x02, 0x6b, 0x4f, 0x01}},
                           {0x7d1e0004, 0x51c2, 0x4d0e, {0x9a, 0x11, 0x3c, 0x5e, 0x02, 0x6b, 0x4f, 0x01}}};

// What a page is told to do, and what happened to it.
struct Probe {
  const wchar_t* title = nullptr;
  SIZE size = {};
  bool dirty = false;
  HRESULT apply = S_OK;
  std::string log;
  RECT rect = {};
  HWND window = nullptr;
  IPropertyPageSite* site = nullptr;
  int applies = 0;
};
Probe g_probe[3];
LONG g_livePages = 0;

class FakePage final : public IPropertyPage {
 public:
  explicit FakePage(Probe& p) : m_p(p) { InterlockedIncrement(&g_livePages); }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPage) ? this : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    if (--m_refs) return m_refs;
    InterlockedDecrement(&g_livePages);
    delete this;
    return 0;
  }
  STDMETHODIMP SetPageSite(IPropertyPageSite* site) override {
    m_p.log += site ? "site " : "nosite ";
    if (site) site->AddRef();
    if (m_p.site) m_p.site->Release();
    m_p.site = site;
    return S_OK;
  }
  STDMETHODIMP Activate(HWND parent, LPCRECT r, BOOL modal) override {
    m_p.log += modal ? "activate " : "activate-modeless ";
    m_p.rect = *r;
    m_p.window = CreateWindowExW(0, L"STATIC", m_p.title, WS_CHILD, r->left, r->top, r->right - r->left,
                                 r->bottom - r->top, parent, nullptr, nullptr, nullptr);
    return S_OK;
  }
  STDMETHODIMP Deactivate() override {
    m_p.log += "deactivate ";
    DestroyWindow(m_p.window);
    m_p.window = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override {
    size_t bytes = (wcslen(m_p.title) + 1) * sizeof(wchar_t);
    info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    memcpy(info->pszTitle, m_p.title, bytes);
    info->size = m_p.size;
    info->pszDocString = info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
  }
  STDMETHODIMP SetObjects(ULONG n, IUnknown** objects) override {
    m_p.log += "objects" + std::to_string(n) + " ";
    for (ULONG k = 0; k < n; ++k) objects[k]->AddRef();
    if (m_object) m_object->Release();
    m_object = n ? objects[0] : nullptr;
    return S_OK;
  }
  STDMETHODIMP Show(UINT cmd) override {
    m_p.log += cmd == SW_HIDE ? "hide " : "show ";
    ShowWindow(m_p.window, cmd);
    return S_OK;
  }
  STDMETHODIMP Move(LPCRECT) override { return S_OK; }
  STDMETHODIMP IsPageDirty() override { return m_p.dirty ? S_OK : S_FALSE; }
  STDMETHODIMP Apply() override {
    ++m_p.applies;
    if (SUCCEEDED(m_p.apply)) m_p.dirty = false;
    return m_p.apply;
  }
  STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(MSG* msg) override {
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_F5) return S_FALSE;
    m_p.log += "F5 ";
    return S_OK;
  }

 private:
  ULONG m_refs = 1;
  Probe& m_p;
  IUnknown* m_object = nullptr;
};

// Makes the pages of one probe.
class PageFactory : public IClassFactory {
 public:
  explicit PageFactory(Probe& p) : m_p(p) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory) ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
    FakePage* page = new FakePage(m_p);
    HRESULT hr = page->QueryInterface(riid, ppv);
    page->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  Probe& m_p;
};

// The edited object: it names the pages and counts its references.
class PagedObject : public ISpecifyPropertyPages {
 public:
  PagedObject(const CLSID* ids, ULONG n) : m_ids(ids), m_n(n) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISpecifyPropertyPages) ? this : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetPages(CAUUID* pages) override {
    pages->cElems = m_n;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(m_n * sizeof(GUID)));
    for (ULONG k = 0; k < m_n; ++k) pages->pElems[k] = m_ids[k];
    return S_OK;
  }
  ULONG refs = 1;

 private:
  const CLSID* m_ids;
  ULONG m_n;
};

HWND Frame() { return UiRobot::DialogWindow(kCaption); }
HWND Tab() { return GetDlgItem(Frame(), kFrameTabId); }

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const wchar_t* titles[3] = {L"Alpha", L"Beta", L"Gamma"};
    const SIZE sizes[3] = {{120, 60}, {240, 150}, {80, 40}};
    for (int k = 0; k < 3; ++k) {
      g_probe[k] = Probe();
      g_probe[k].title = titles[k];
      g_probe[k].size = sizes[k];
    }
    for (int k = 0; k < 3; ++k)
      CoRegisterClassObject(kPageIds[k], &m_factories[k], CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookies[k]);
  }
  void TearDown() override {
    for (DWORD c : m_cookies) CoRevokeClassObject(c);
    EXPECT_EQ(g_livePages, 0) << "every page released";
    for (Probe& p : g_probe) EXPECT_EQ(p.site, nullptr) << "every page let go of its site";
    EXPECT_EQ(m_object.refs, 1u) << "every reference on the object given back";
  }
  // Alpha, an id no one registered, Beta, Gamma.
  HRESULT Show(UiRobot& robot) {
    static const CLSID ids[] = {kPageIds[0], kPageIds[3], kPageIds[1], kPageIds[2]};
    m_object = PagedObject(ids, 4);
    robot.Start();
    HRESULT hr = ShowPropertyFrame(nullptr, kCaption, &m_object);
    EXPECT_TRUE(robot.Done()) << "stuck at: " << robot.Stuck() << robot.Pending();
    return hr;
  }

  ComScope m_com;
  PageFactory m_factories[3] = {PageFactory(g_probe[0]), PageFactory(g_probe[1]), PageFactory(g_probe[2])};
  DWORD m_cookies[3] = {};
  PagedObject m_object{nullptr, 0};
};

// Alpha refuses its first Apply; Beta becomes dirty; Gamma is never shown.
TEST_F(FrameTest, PagesAreShownInTheLargestPagesRoomAndApplyStopsAtARefusingPage) {
  g_probe[0].dirty = true;
  g_probe[0].apply = E_FAIL;
  UiRobot robot;
  robot.Then("frame", [] { return Frame() != nullptr; });
  robot.Then("first look", [] {
    EXPECT_EQ(TabCtrl_GetItemCount(Tab()), 3) << "the unregistered page is left out";
    EXPECT_GE(g_probe[0].rect.right - g_probe[0].rect.left, 240);
    EXPECT_GE(g_probe[0].rect.bottom - g_probe[0].rect.top, 150);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Frame(), kFrameApplyId))) << "no page said it is dirty";
    UiRobot::Key(g_probe[0].window, VK_F5);  // the page's own key
    return true;
  });
  robot.Then("the page's key", [] { return g_probe[0].log.find("F5") != std::string::npos; });
  robot.Then("beta", [] {
    SendMessageW(Tab(), TCM_SETCURFOCUS, 1, 0);
    EXPECT_FALSE(IsWindowVisible(g_probe[0].window));
    EXPECT_TRUE(IsWindowVisible(g_probe[1].window));
    g_probe[1].dirty = true;
    g_probe[1].site->OnStatusChange(PROPPAGESTATUS_DIRTY);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Frame(), kFrameApplyId)));
    UiRobot::Press(Frame(), IDOK);
    return true;
  });
  robot.Then("refused", [] {
    if (g_probe[0].applies == 0) return false;
    EXPECT_EQ(g_probe[1].applies, 0) << "nothing after the refusing page";
    EXPECT_EQ(TabCtrl_GetCurSel(Tab()), 0) << "the refusing page is shown";
    EXPECT_TRUE(IsWindowVisible(g_probe[0].window));
    g_probe[0].apply = S_OK;
    UiRobot::Press(Frame(), IDOK);
    return true;
  });
  EXPECT_EQ(Show(robot), S_OK);
  EXPECT_EQ(g_probe[0].log, "site objects1 activate show F5 hide show deactivate objects0 nosite ");
  EXPECT_EQ(g_probe[1].log, "site objects1 activate show hide deactivate objects0 nosite ");
  EXPECT_EQ(g_probe[2].log, "site objects1 objects0 nosite ") << "never shown, never activated";
  EXPECT_EQ(g_probe[0].applies, 2);
  EXPECT_EQ(g_probe[1].applies, 1);
  EXPECT_EQ(g_probe[2].applies, 0) << "a clean page is not applied";
}

TEST_F(FrameTest, AnObjectWhosePagesCannotBeCreatedOpensNoFrame) {
  PagedObject alone(&kPageIds[3], 1);
  EXPECT_EQ(ShowPropertyFrame(nullptr, kCaption, &alone), E_FAIL);
  EXPECT_EQ(alone.refs, 1u);
}

}  // namespace
