// Reference counting for our COM objects, with an AddRef that refuses an
// object already on its way out (needed when a client's objects are
// disconnected while the client may be releasing them).
#pragma once
#include <windows.h>

#include <atomic>

namespace opcsrv {

class ComRef {
 public:
  ULONG Up() { return ++m_refs; }
  ULONG Down() { return --m_refs; }
  bool TryUp() {
    ULONG n = m_refs.load();
    while (n != 0)
      if (m_refs.compare_exchange_weak(n, n + 1)) return true;
    return false;
  }

 private:
  std::atomic<ULONG> m_refs{1};
};

}  // namespace opcsrv
