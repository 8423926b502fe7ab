#include "OpcTestSupport.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

uint64_t UtcFt(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = ms;
  FILETIME f = {};
  SystemTimeToFileTime(&st, &f);
  return Ft(f);
}

double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string HrText(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

std::vector<std::wstring> TakeStrings(LPWSTR* strings, DWORD count) {
  std::vector<std::wstring> out;
  if (!strings) return out;
  for (DWORD i = 0; i < count; ++i) {
    out.push_back(strings[i] ? strings[i] : L"<null>");
    CoTaskMemFree(strings[i]);
  }
  CoTaskMemFree(strings);
  return out;
}

std::vector<DWORD> TakeDwords(DWORD* values, DWORD count) {
  std::vector<DWORD> out;
  if (values) out.assign(values, values + count);
  CoTaskMemFree(values);
  return out;
}

void FreeConditionState(OPCCONDITIONSTATE* s) {
  if (!s) return;
  CoTaskMemFree(s->szActiveSubCondition);
  CoTaskMemFree(s->szASCDefinition);
  CoTaskMemFree(s->szASCDescription);
  CoTaskMemFree(s->szAcknowledgerID);
  CoTaskMemFree(s->szComment);
  TakeStrings(s->pszSCNames, s->dwNumSCs);
  TakeStrings(s->pszSCDefinitions, s->dwNumSCs);
  TakeStrings(s->pszSCDescriptions, s->dwNumSCs);
  CoTaskMemFree(s->pdwSCSeverities);
  if (s->pEventAttributes)
    for (DWORD i = 0; i < s->dwNumEventAttrs; ++i) VariantClear(&s->pEventAttributes[i]);
  CoTaskMemFree(s->pEventAttributes);
  CoTaskMemFree(s->pErrors);
  CoTaskMemFree(s);
}

std::wstring BinFile(const wchar_t* name) {
  const char* bin = std::getenv("VELMARIC_BIN");
  std::wstring path = L"Z:";
  for (const char* p = bin ? bin : "."; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
  if (path.back() != L'\\') path += L'\\';
  return path + name;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* exe) {
  std::vector<DWORD> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W e = {};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
    if (lstrcmpiW(e.szExeFile, exe) == 0) out.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return out;
}
