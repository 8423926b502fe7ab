#include "framework/win32/PropertyPageObject.h"

#include <new>
#include <vector>

#include "framework/win32/ComModule.h"
#include "framework/win32/ComObject.h"
#include "framework/win32/DialogTemplateSize.h"
#include "framework/win32/DialogWindow.h"
#include "framework/win32/VariantConv.h"
#include "framework/win32/WinString.h"

namespace {

static_assert(static_cast<DWORD>(kPageStatusDirty) == static_cast<DWORD>(PROPPAGESTATUS_DIRTY), "the page passes its flags to the site as they are");

// The objects by property name, through IDispatch, as a script reaches them.
class DispatchObjects : public PageObjectsPort {
 public:
  ~DispatchObjects() override { Clear(); }
  void Clear() {
    for (IDispatch* d : m_objects) d->Release();
    m_objects.clear();
  }
  // Takes over the references.
  void Replace(std::vector<IDispatch*> objects) {
    Clear();
    m_objects = std::move(objects);
  }
  bool Empty() const { return m_objects.empty(); }

  bool Get(const String& name, VType type, Value& out) override {
    DISPID id;
    if (m_objects.empty() || !IdOf(m_objects.front(), name, id)) return false;
    VARIANT v;
    VariantInit(&v);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    HRESULT hr = m_objects.front()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &v,
                                           nullptr, nullptr);
    if (SUCCEEDED(hr)) hr = VariantToValue(v, type, out);
    VariantClear(&v);
    return SUCCEEDED(hr);
  }

  bool Put(const String& name, const Value& value) override {
    VARIANT v;
    VariantInit(&v);
    if (FAILED(ValueToVariant(value, &v))) return false;
    bool ok = true;
    for (IDispatch* d : m_objects) {
      DISPID id;
      DISPID named = DISPID_PROPERTYPUT;
      DISPPARAMS params = {&v, &named, 1, 1};
      if (!IdOf(d, name, id) ||
          FAILED(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                           nullptr)))
        ok = false;  // the others are written all the same
    }
    VariantClear(&v);
    return ok;
  }

  bool DispIdOf(const String& name, int32_t& dispid) override {
    DISPID id;
    if (m_objects.empty() || !IdOf(m_objects.front(), name, id)) return false;
    dispid = id;
    return true;
  }

 private:
  static bool IdOf(IDispatch* d, const String& name, DISPID& id) {
    LPOLESTR n = const_cast<LPOLESTR>(W(name));
    return SUCCEEDED(d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id));
  }
  std::vector<IDispatch*> m_objects;
};

class SiteAdapter : public PageSitePort {
 public:
  ~SiteAdapter() override { Set(nullptr); }
  void Set(IPropertyPageSite* site) {
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
  }
  void OnStatusChange(uint32_t flags) override {
    if (m_site) m_site->OnStatusChange(flags);
  }

 private:
  IPropertyPageSite* m_site = nullptr;
};

// A page answers IPropertyPage as well, the base its IPropertyPage2 extends.
class PropertyPageObject : public ComObject<IPropertyPage2> {
 public:
  explicit PropertyPageObject(std::unique_ptr<COlePropertyPage> page)
      : m_page(std::move(page)), m_window(*m_page) {
    com_module::ObjectCreated();
    m_page->SetPageSite(&m_site);
  }
  ~PropertyPageObject() override {
    if (m_window.Handle()) DestroyWindow(m_window.Handle());
    m_page->SetObjects(nullptr);
    m_page->SetPageSite(nullptr);
    com_module::ObjectDestroyed();
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    static const ComMapEntry<PropertyPageObject> map[] = {
        {&IID_IPropertyPage2, ComCast<PropertyPageObject, IPropertyPage2>},
        {&IID_IPropertyPage, ComCast<PropertyPageObject, IPropertyPage>}};
    return QueryMap(this, map, riid, ppv);
  }

  // IPropertyPage
  STDMETHODIMP SetPageSite(IPropertyPageSite* site) override {
    m_site.Set(site);
    return S_OK;
  }

  STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override {
    if (!rect) return E_POINTER;
    if (m_window.Handle()) return E_UNEXPECTED;
    HWND hwnd = CreateDialogParamW(com_module::Instance(), MAKEINTRESOURCEW(m_page->TemplateId()), parent,
                                   DialogWindow::Proc, reinterpret_cast<LPARAM>(&m_window));
    if (!hwnd) return E_FAIL;
    // The frame's dialog navigation walks into the page's fields.
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    MoveWindow(hwnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, FALSE);
    return S_OK;
  }

  STDMETHODIMP Deactivate() override {
    if (!m_window.Handle()) return E_UNEXPECTED;
    DestroyWindow(m_window.Handle());
    return S_OK;
  }

  STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override {
    if (!info) return E_POINTER;
    SIZE size = {};
    if (!DialogTemplateSize(m_page->TemplateId(), size)) return E_FAIL;
    wchar_t caption[256] = {};
    const int n = LoadStringW(com_module::Instance(), m_page->CaptionId(), caption, 256);
    LPOLESTR title = static_cast<LPOLESTR>(CoTaskMemAlloc((static_cast<size_t>(n) + 1) * sizeof(wchar_t)));
    if (!title) return E_OUTOFMEMORY;
    lstrcpynW(title, caption, n + 1);
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = title;
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
  }

  STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override {
    if (count && !objects) return E_POINTER;
    std::vector<IDispatch*> fresh;
    HRESULT hr = S_OK;
    for (ULONG k = 0; k < count && SUCCEEDED(hr); ++k) {
      IDispatch* d = nullptr;
      hr = objects[k] ? objects[k]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)) : E_POINTER;
      if (SUCCEEDED(hr)) fresh.push_back(d);
    }
    if (FAILED(hr)) {
      for (IDispatch* d : fresh) d->Release();
      return hr == E_POINTER ? E_POINTER : E_NOINTERFACE;
    }
    m_page->SetObjects(nullptr);
    m_objects.Replace(std::move(fresh));
    if (!m_objects.Empty()) m_page->SetObjects(&m_objects);
    return S_OK;
  }

  STDMETHODIMP Show(UINT cmdShow) override {
    if (!m_window.Handle()) return E_UNEXPECTED;
    ShowWindow(m_window.Handle(), static_cast<int>(cmdShow));
    return S_OK;
  }

  STDMETHODIMP Move(LPCRECT rect) override {
    if (!rect) return E_POINTER;
    if (!m_window.Handle()) return E_UNEXPECTED;
    MoveWindow(m_window.Handle(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
  }

  STDMETHODIMP IsPageDirty() override { return m_page->IsModified() ? S_OK : S_FALSE; }

  // Fields are validated even when the user changed none of them: a value
  // stored out of range shows, and is refused until corrected.
  STDMETHODIMP Apply() override {
    if (m_objects.Empty()) return E_UNEXPECTED;
    if (!m_window.Handle()) return m_page->IsModified() ? E_UNEXPECTED : S_OK;
    return m_page->Apply() ? S_OK : E_FAIL;
  }

  STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }

  STDMETHODIMP TranslateAccelerator(MSG* msg) override {
    if (!msg) return E_POINTER;
    HWND hwnd = m_window.Handle();
    if (!hwnd || (msg->hwnd != hwnd && !IsChild(hwnd, msg->hwnd))) return S_FALSE;
    return IsDialogMessageW(hwnd, msg) ? S_OK : S_FALSE;
  }

  // IPropertyPage2
  STDMETHODIMP EditProperty(DISPID dispid) override {
    const int field = m_page->FieldForDispId(dispid);
    if (!field) return E_NOTIMPL;
    m_page->FocusField(field);
    return S_OK;
  }

 private:
  std::unique_ptr<COlePropertyPage> m_page;
  DialogWindow m_window;
  DispatchObjects m_objects;
  SiteAdapter m_site;
};

}  // namespace

HRESULT CreatePropertyPageObject(std::unique_ptr<COlePropertyPage> page, REFIID riid, void** ppv) {
  auto* object = new (std::nothrow) PropertyPageObject(std::move(page));
  if (!object) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}
