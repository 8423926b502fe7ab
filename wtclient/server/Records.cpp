#include "wtclient/server/Records.h"

#include <cstring>

namespace opcsrv {

FILETIME ToFileTime(uint64_t t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

uint64_t FromFileTime(const FILETIME& ft) { return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

std::wstring Wide(const String& s) { return std::wstring(s.begin(), s.end()); }

String FromWide(const wchar_t* s) {
  String out;
  if (s)
    for (; *s; ++s) out.push_back(static_cast<char16_t>(*s));
  return out;
}

LPWSTR EventRecords::Keep(const String& s) {
  m_text.push_back(Wide(s));
  return const_cast<LPWSTR>(m_text.back().c_str());
}

EventRecords::EventRecords(const wtsim::Batch& batch) {
  // Reserved up front: the records point into these strings.
  m_text.reserve(batch.size() * 5);
  m_records.reserve(batch.size());
  for (const wtsim::SimEvent& e : batch) {
    ONEVENTSTRUCT r;
    std::memset(&r, 0, sizeof r);
    r.wChangeMask = e.changeMask;
    r.wNewState = e.newState;
    r.szSource = Keep(e.source);
    r.ftTime = ToFileTime(e.time);
    r.szMessage = Keep(e.message);
    r.dwEventType = e.eventType;
    r.dwEventCategory = e.category;
    r.dwSeverity = e.severity;
    r.szConditionName = Keep(e.condition);
    r.szSubconditionName = Keep(e.subcondition);
    r.wQuality = e.quality;
    r.bAckRequired = e.ackRequired ? TRUE : FALSE;
    r.ftActiveTime = ToFileTime(e.activeTime);
    r.dwCookie = e.cookie;
    r.dwNumEventAttrs = 0;
    r.pEventAttributes = nullptr;
    r.szActorID = Keep(e.actor);
    m_records.push_back(r);
  }
}

LPWSTR CoTaskString(const std::wstring& s) {
  const size_t bytes = (s.size() + 1) * sizeof(wchar_t);
  auto* p = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (p) std::memcpy(p, s.c_str(), bytes);
  return p;
}

void FreeCoTaskStrings(LPWSTR* array, size_t count) {
  if (!array) return;
  for (size_t i = 0; i < count; ++i) CoTaskMemFree(array[i]);
  CoTaskMemFree(array);
}

bool CoTaskStrings(const std::vector<String>& in, LPWSTR** out) {
  *out = nullptr;
  if (in.empty()) return true;
  auto* arr = static_cast<LPWSTR*>(CoTaskMemAlloc(in.size() * sizeof(LPWSTR)));
  if (!arr) return false;
  for (size_t i = 0; i < in.size(); ++i) {
    arr[i] = CoTaskString(Wide(in[i]));
    if (!arr[i]) {
      FreeCoTaskStrings(arr, i);
      return false;
    }
  }
  *out = arr;
  return true;
}

}  // namespace opcsrv
