// Conversions between the plant's records and the OPC AE wire types: the
// ONEVENTSTRUCT array of a sink call (shared with WTclient.dll's simulator),
// FILETIMEs, and the CoTaskMemAlloc'd strings and arrays a method hands to
// its caller.
#pragma once
#include "opc_ae.h"

#include <string>
#include <vector>

#include "wtclient/EventRecords.h"
#include "opcserver/core/RequestLimits.h"
#include "plant/SimEvent.h"

namespace opcsrv {

using wtclient::EventRecords;
using wtclient::ToFileTime;
using wtclient::Wide;
uint64_t FromFileTime(const FILETIME& ft);
String FromWide(const wchar_t* s);  // null gives an empty string

// Caller-owned copies (CoTaskMemAlloc); null when out of memory.
LPWSTR CoTaskString(const std::wstring& s);
// One allocation for the array and one per string; false when out of memory
// (then nothing stays allocated). Never throws.
bool CoTaskStrings(const std::vector<String>& in, LPWSTR** out);
void FreeCoTaskStrings(LPWSTR* array, size_t count);

// A zeroed CoTaskMem array with room for count elements (at least one, so
// that an empty array is not a null pointer); null when out of memory or
// when the byte count would not fit a size_t.
template <typename T>
T* CoTaskArray(size_t count) {
  size_t bytes = 0;
  if (!ArrayBytes(count ? count : 1, sizeof(T), &bytes)) return nullptr;
  void* p = CoTaskMemAlloc(bytes);
  if (p) ZeroMemory(p, bytes);
  return static_cast<T*>(p);
}

// For std::unique_ptr over a CoTaskMem block not yet handed to the caller.
struct CoTaskFree {
  void operator()(void* p) const { CoTaskMemFree(p); }
};

}  // namespace opcsrv
