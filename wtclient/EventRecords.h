// The plant's records as the ONEVENTSTRUCT array of one call: to the
// library's callback (the in-process simulator) or to a client's sink (our
// OPC AE server). Also the FILETIME and UTF-16 conversions both sides use.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wtclient/WTclient.h"  // ONEVENTSTRUCT, unless opc_ae.h came first
#include "plant/SimEvent.h"

namespace wtclient {

FILETIME ToFileTime(uint64_t t);
std::wstring Wide(const String& s);

// Every string non-null, no attributes. The strings belong to this object,
// which must outlive the call.
class EventRecords {
 public:
  explicit EventRecords(const wtsim::Batch& batch);
  DWORD Count() const { return static_cast<DWORD>(m_records.size()); }
  // Never null: a proxy refuses a null [in] pointer even for no records.
  ONEVENTSTRUCT* Data() { return m_records.empty() ? &m_none : m_records.data(); }

 private:
  LPWSTR Keep(const String& s);
  std::vector<std::wstring> m_text;
  std::vector<ONEVENTSTRUCT> m_records;
  ONEVENTSTRUCT m_none{};
};

}  // namespace wtclient
