#include "viewer/ResourceReport.h"

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstddef>
#include <cstdio>
#include <vector>

namespace {

// Wine answers 0 to GetProcessHandleCount and GetGuiResources. Handles can
// still be counted in the system's handle list (class 16: a count, then
// entries of {pid, type, flags, value, object, access}, pointer-aligned), and
// under Wine GDI objects in its handle table, which the PEB points to (offset
// 0x94 on 32-bit, 0xF8 on 64-bit; 24-byte entries on both, whose byte 14, the
// type, is 0 when free).
DWORD ListedHandles() {
  using Query = LONG(NTAPI*)(ULONG, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  struct Entry {
    ULONG pid;
    BYTE type, flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  struct List {
    ULONG count;
    Entry entries[1];
  };
  std::vector<ULONG_PTR> buf(1 << 14);
  LONG status = -1;
  while (query) {
    ULONG needed = 0;
    status = query(16, buf.data(), static_cast<ULONG>(buf.size() * sizeof(ULONG_PTR)), &needed);
    if (status != static_cast<LONG>(0xC0000004) || buf.size() >= (16u << 20)) break;  // length mismatch
    buf.resize(buf.size() * 2);
  }
  if (status < 0) return 0;
  const List* list = reinterpret_cast<const List*>(buf.data());
  const ULONG count = list->count;
  if (count > (buf.size() * sizeof(ULONG_PTR) - offsetof(List, entries)) / sizeof(Entry)) return 0;
  const Entry* e = list->entries;
  DWORD n = 0;
  for (ULONG k = 0; k < count; ++k) n += e[k].pid == GetCurrentProcessId();
  return n;
}

DWORD WineGdiObjects() {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return 0;
  // The PEB's address as the system reports it (reading it off the TEB
  // through the segment register trips GCC's array-bounds check on x64).
  using Query = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION info = {};
  if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) < 0) return 0;
  const BYTE* peb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
#ifdef _WIN64
  constexpr size_t kGdiTable = 0xF8;
#else
  constexpr size_t kGdiTable = 0x94;
#endif
  const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + kGdiTable);
  DWORD n = 0;
  for (DWORD k = 0; table && k < 0x10000; ++k) n += table[k * 24 + 14] != 0;
  return n;
}

}  // namespace

void PrintResourceReport(const wchar_t* when, unsigned long seconds, long events) {
  // PagefileUsage is the committed private memory (Wine leaves PrivateUsage at 0).
  PROCESS_MEMORY_COUNTERS_EX mem = {};
  mem.cb = sizeof mem;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem);
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  wprintf(L"resources %ls: t=%lus events=%ld pagefile=%luKB private=%luKB workingset=%luKB handles=%lu"
          L" gdi=%lu user=%lu handles-listed=%lu gdi-wine=%lu\n",
          when, seconds, events,
          static_cast<unsigned long>(mem.PagefileUsage / 1024), static_cast<unsigned long>(mem.PrivateUsage / 1024),
          static_cast<unsigned long>(mem.WorkingSetSize / 1024), static_cast<unsigned long>(handles),
          static_cast<unsigned long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
          static_cast<unsigned long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)),
          static_cast<unsigned long>(ListedHandles()), static_cast<unsigned long>(WineGdiObjects()));
  fflush(stdout);
}
