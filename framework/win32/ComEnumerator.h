// One IEnumXXXX over a snapshot of items, for every enumerator the control
// hands out (connection points, connections, verbs). A copy policy says how
// an item is copied to the caller, who then owns it, and how a copy is freed:
//   static void Copy(Item& to, const Item& from);
//   static void Destroy(Item& item);
// The enumerator keeps copies of its own and holds its owner alive, so the
// module stays loaded and what the items point into stays valid.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <cwchar>
#include <new>
#include <vector>

#include "framework/win32/ComObject.h"

template <class I>
struct CopyInterface {
  static void Copy(I*& to, I* const& from) {
    to = from;
    if (to) to->AddRef();
  }
  static void Destroy(I*& item) {
    if (item) item->Release();
  }
};

struct CopyConnectData {
  static void Copy(CONNECTDATA& to, const CONNECTDATA& from) {
    to = from;
    if (to.pUnk) to.pUnk->AddRef();
  }
  static void Destroy(CONNECTDATA& item) {
    if (item.pUnk) item.pUnk->Release();
  }
};

// The caller frees the verb's name with CoTaskMemFree; a name that could not
// be allocated comes out null.
struct CopyOleVerb {
  static void Copy(OLEVERB& to, const OLEVERB& from) {
    to = from;
    if (!from.lpszVerbName) return;
    size_t len = wcslen(from.lpszVerbName) + 1;
    to.lpszVerbName = static_cast<LPOLESTR>(CoTaskMemAlloc(len * sizeof(wchar_t)));
    if (to.lpszVerbName) wcscpy(to.lpszVerbName, from.lpszVerbName);
  }
  static void Destroy(OLEVERB& item) { CoTaskMemFree(item.lpszVerbName); }
};

template <class Base, class Item, class Policy>
class ComEnumerator : public ComObject<Base> {
 public:
  ComEnumerator(IUnknown* owner, const Item* items, size_t count, size_t pos = 0)
      : m_owner(owner), m_items(count), m_pos(pos) {
    m_owner->AddRef();
    for (size_t k = 0; k < count; ++k) Policy::Copy(m_items[k], items[k]);
  }
  ~ComEnumerator() override {
    for (Item& item : m_items) Policy::Destroy(item);
    m_owner->Release();
  }

  STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && m_pos < m_items.size()) Policy::Copy(out[n++], m_items[m_pos++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    size_t left = m_items.size() - m_pos;
    if (count > left) {
      m_pos = m_items.size();
      return S_FALSE;
    }
    m_pos += count;
    return S_OK;
  }
  STDMETHODIMP Reset() override {
    m_pos = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Base** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) ComEnumerator(m_owner, m_items.data(), m_items.size(), m_pos);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  IUnknown* m_owner;
  std::vector<Item> m_items;
  size_t m_pos;
};
