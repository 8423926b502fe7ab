// IOPCCommon of the server object: locale, error texts, client name.
#include "wtclient/server/EventServer.h"

#include "wtclient/server/Log.h"
#include "wtclient/server/Records.h"
#include "wtclient/server/core/ResultText.h"

namespace opcsrv {

HRESULT EventServer::SetLocaleID(LCID dwLcid) {
  if (!IsSupportedLocale(dwLcid)) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_locale = dwLcid;
  return S_OK;
}

HRESULT EventServer::GetLocaleID(LCID* pdwLcid) {
  if (!pdwLcid) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_mutex);
  *pdwLcid = m_locale;
  return S_OK;
}

HRESULT EventServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) {
  if (!pdwCount || !pdwLcid) return E_INVALIDARG;
  const DWORD n = sizeof kSupportedLocales / sizeof kSupportedLocales[0];
  auto* ids = static_cast<LCID*>(CoTaskMemAlloc(n * sizeof(LCID)));
  if (!ids) return E_OUTOFMEMORY;
  for (DWORD i = 0; i < n; ++i) ids[i] = kSupportedLocales[i];
  *pdwCount = n;
  *pdwLcid = ids;
  return S_OK;
}

HRESULT EventServer::GetErrorString(HRESULT dwError, LPWSTR* ppString) {
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
    if (n == 0 || !buf) return E_INVALIDARG;
    text.assign(buf, n);
    LocalFree(buf);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  }
  *ppString = CoTaskString(text);
  return *ppString ? S_OK : E_OUTOFMEMORY;
}

HRESULT EventServer::SetClientName(LPCWSTR szName) {
  if (!szName) return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_clientName = szName;
  Log("client name: %ls", szName);
  return S_OK;
}

}  // namespace opcsrv
