// Conversions between the plant's records and the OPC AE wire types: the
// ONEVENTSTRUCT array of a sink call, FILETIMEs, and the CoTaskMemAlloc'd
// strings and arrays a method hands to its caller.
#pragma once
#include "opc_ae.h"

#include <string>
#include <vector>

#include "wtclient/sim/SimEvent.h"

namespace opcsrv {

FILETIME ToFileTime(uint64_t t);
uint64_t FromFileTime(const FILETIME& ft);
std::wstring Wide(const String& s);
String FromWide(const wchar_t* s);  // null gives an empty string

// The records of one sink call; every string non-null, no attributes. The
// strings belong to this object, which must outlive the call.
class EventRecords {
 public:
  explicit EventRecords(const wtsim::Batch& batch);
  DWORD Count() const { return static_cast<DWORD>(m_records.size()); }
  // Never null: the proxy refuses a null [in] pointer even for no records.
  ONEVENTSTRUCT* Data() { return m_records.empty() ? &m_none : m_records.data(); }

 private:
  LPWSTR Keep(const String& s);
  std::vector<std::wstring> m_text;
  std::vector<ONEVENTSTRUCT> m_records;
  ONEVENTSTRUCT m_none{};
};

// Caller-owned copies (CoTaskMemAlloc); null when out of memory.
LPWSTR CoTaskString(const std::wstring& s);
// One allocation for the array and one per string; false when out of memory
// (then nothing stays allocated).
bool CoTaskStrings(const std::vector<String>& in, LPWSTR** out);
void FreeCoTaskStrings(LPWSTR* array, size_t count);

}  // namespace opcsrv
