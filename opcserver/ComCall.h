// No C++ exception may leave a COM method: the caller is the RPC stub (or a
// client's own code in another language), which knows nothing of them. Each
// method of the server's objects is a function-try-block whose handler
// answers with CaughtResult().
#pragma once
#include <windows.h>

#include <new>
#include <stdexcept>

#include "opcserver/Log.h"

namespace opcsrv {

// Call only from a catch handler: the result for the exception in flight,
// logged with the method's name.
inline HRESULT CaughtResult(const char* method) noexcept {
  HRESULT hr = E_FAIL;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (const std::logic_error&) {
    // length_error, out_of_range, invalid_argument: sizes and values that
    // came from the client.
    hr = E_INVALIDARG;
  } catch (...) {
    hr = E_FAIL;
  }
  Log("%s: refused after an exception (0x%08lx)", method, static_cast<unsigned long>(hr));
  return hr;
}

}  // namespace opcsrv
