#include "wtclient/EventRecords.h"

namespace wtclient {

FILETIME ToFileTime(uint64_t t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

std::wstring Wide(const String& s) { return std::wstring(s.begin(), s.end()); }

LPWSTR EventRecords::Keep(const String& s) {
  m_text.push_back(Wide(s));
  return const_cast<LPWSTR>(m_text.back().c_str());
}

EventRecords::EventRecords(const wtsim::Batch& batch) {
  // Reserved up front: the records point into these strings.
  m_text.reserve(batch.size() * 5);
  m_records.reserve(batch.size());
  for (const wtsim::SimEvent& e : batch) {
    ONEVENTSTRUCT r{};
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
    r.szActorID = Keep(e.actor);
    m_records.push_back(r);
  }
}

}  // namespace wtclient
