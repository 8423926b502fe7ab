// A reference-counted base for the tests' own COM objects (sites, sinks, bags).
#pragma once
#include <windows.h>
#include <unknwn.h>

template <class... Interfaces>
class TestUnknown : public Interfaces... {
 public:
  virtual ~TestUnknown() = default;
  ULONG Refs() const { return static_cast<ULONG>(m_refs); }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return n;
  }

 protected:
  LONG m_refs = 1;
};
