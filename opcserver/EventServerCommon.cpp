// IOPCCommon of the server object: locale, error texts, client name.
#include "opcserver/EventServer.h"

#include <memory>

#include "opcserver/ComCall.h"
#include "opcserver/Log.h"
#include "opcserver/Records.h"
#include "opcserver/core/ResultText.h"

namespace opcsrv {
namespace {

struct LocalFreer {
  void operator()(wchar_t* p) const { LocalFree(p); }
};

}  // namespace

HRESULT EventServer::SetLocaleID(LCID dwLcid) try {
  if (!IsSupportedLocale(dwLcid)) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_locale = dwLcid;
  return S_OK;
} catch (...) {
  return CaughtResult("SetLocaleID");
}

HRESULT EventServer::GetLocaleID(LCID* pdwLcid) try {
  if (!pdwLcid) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_mutex);
  *pdwLcid = m_locale;
  return S_OK;
} catch (...) {
  return CaughtResult("GetLocaleID");
}

HRESULT EventServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) try {
  if (!pdwCount || !pdwLcid) return E_INVALIDARG;
  const DWORD n = sizeof kSupportedLocales / sizeof kSupportedLocales[0];
  auto* ids = CoTaskArray<LCID>(n);
  if (!ids) return E_OUTOFMEMORY;
  for (DWORD i = 0; i < n; ++i) ids[i] = kSupportedLocales[i];
  *pdwCount = n;
  *pdwLcid = ids;
  return S_OK;
} catch (...) {
  return CaughtResult("QueryAvailableLocaleIDs");
}

HRESULT EventServer::GetErrorString(HRESULT dwError, LPWSTR* ppString) try {
  if (!ppString) return E_INVALIDARG;
  *ppString = nullptr;
  std::wstring text;
  if (const char16_t* t = OpcResultText(static_cast<uint32_t>(dwError))) {
    text = Wide(t);
  } else {
    wchar_t* buf = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(dwError), 0, reinterpret_cast<LPWSTR>(&buf), 0,
        nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> owned(buf);  // also when assign throws
    if (n == 0 || !buf) return E_INVALIDARG;
    text.assign(buf, n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  }
  *ppString = CoTaskString(text);
  return *ppString ? S_OK : E_OUTOFMEMORY;
} catch (...) {
  return CaughtResult("GetErrorString");
}

HRESULT EventServer::SetClientName(LPCWSTR szName) try {
  if (!szName) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_clientName = szName;
  Log("client name: %ls", szName);
  return S_OK;
} catch (...) {
  return CaughtResult("SetClientName");
}

}  // namespace opcsrv
