// Small helpers for a test client of our OPC AE server: COM pointers, the
// server's identity, FILETIME arithmetic and freeing of returned arrays.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "opc_ae.h"

using Microsoft::WRL::ComPtr;

// {6381433E-3145-43DD-ABDA-28927AD1C102}
constexpr CLSID kServerClsid = {0x6381433E, 0x3145, 0x43DD, {0xAB, 0xDA, 0x28, 0x92, 0x7A, 0xD1, 0xC1, 0x02}};
constexpr const wchar_t* kProgId = L"Velmaric.TamborelOpcDa.1";
constexpr const wchar_t* kVersionIndependentProgId = L"Velmaric.TamborelOpcDa";
constexpr const wchar_t* kServerExe = L"VelmaricOpcServer.exe";
// OPC DA quality "good, non-specific": what a healthy source reports.
constexpr WORD kQualityGood = 0x00C0;

constexpr uint64_t kFtPerMs = 10000;

inline uint64_t Ft(const FILETIME& f) { return (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime; }
inline FILETIME ToFileTime(uint64_t v) {
  return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}
inline uint64_t NowFt() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  return Ft(f);
}
// A UTC calendar time as a FILETIME count.
uint64_t UtcFt(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0);
// Milliseconds of a monotonic clock.
double NowMs();

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& text);
std::string HrText(HRESULT hr);

// Takes ownership of a CoTaskMem array of CoTaskMem strings.
std::vector<std::wstring> TakeStrings(LPWSTR* strings, DWORD count);
// Takes ownership of a CoTaskMem array of DWORDs.
std::vector<DWORD> TakeDwords(DWORD* values, DWORD count);
// Frees every allocation of a condition state returned by GetConditionState.
void FreeConditionState(OPCCONDITIONSTATE* state);

// The Windows path of a file in the build tree root (VELMARIC_BIN).
std::wstring BinFile(const wchar_t* name);
// Process ids of running instances of an executable, by file name.
std::vector<DWORD> ProcessesNamed(const wchar_t* exe);
