// IUnknown in one place: QueryInterface driven by an interface map (each
// interface by its id and the cast that reaches it), and a reference-counted
// base for objects that live on the heap. Objects with a lifetime of their
// own (delegated to an owner, static) keep their AddRef/Release and route only
// QueryInterface through the map.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <cstddef>

template <class T>
struct ComMapEntry {
  const IID* iid;
  IUnknown* (*cast)(T*);
};

// The entry's cast: I is the base through which T answers the interface.
template <class T, class I>
IUnknown* ComCast(T* p) {
  return static_cast<I*>(p);
}

// The first entry is the object's identity: it also answers IID_IUnknown.
// The interface handed out is AddRef'ed through itself, so a delegating or
// static object counts the reference its own way.
template <class T, size_t N>
HRESULT QueryMap(T* self, const ComMapEntry<T> (&map)[N], REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  for (size_t k = 0; k < N; ++k) {
    if (IsEqualIID(riid, *map[k].iid) || (k == 0 && IsEqualIID(riid, IID_IUnknown))) {
      IUnknown* p = map[k].cast(self);
      p->AddRef();
      *ppv = p;
      return S_OK;
    }
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

// The map of an object that answers exactly the interfaces it derives from,
// named by type; the first is the identity.
template <class First, class... Rest, class T>
HRESULT QueryInterfaces(T* self, REFIID riid, void** ppv) {
  const ComMapEntry<T> map[] = {{&__uuidof(First), ComCast<T, First>}, {&__uuidof(Rest), ComCast<T, Rest>}...};
  return QueryMap(self, map, riid, ppv);
}

// A heap object answering Interfaces...; it starts with the creator's
// reference and deletes itself at the last Release.
template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return QueryInterfaces<Interfaces...>(this, riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return n;
  }

 private:
  LONG m_refs = 1;
};
