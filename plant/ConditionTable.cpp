#include "plant/ConditionTable.h"

namespace wtsim {

long ConditionTable::Find(const String& source, const String& condition) const {
  for (size_t i = 0; i < m_active.size(); ++i)
    if (m_active[i].source == source && m_active[i].condition == condition) return static_cast<long>(i);
  return -1;
}

void ConditionTable::Apply(const SimEvent& e) {
  const long i = Find(e.source, e.condition);
  if (e.newState & kStateActive) {
    if (i >= 0) m_active[static_cast<size_t>(i)] = e;
    else m_active.push_back(e);
  } else if (i >= 0) {
    m_active.erase(m_active.begin() + i);
  }
}

bool ConditionTable::Acknowledge(const String& source, const String& condition) {
  const long i = Find(source, condition);
  if (i < 0) return false;
  SimEvent& e = m_active[static_cast<size_t>(i)];
  e.newState |= kStateAcked;
  e.ackRequired = false;
  return true;
}

bool ConditionTable::HasSource(const String& source) const {
  for (const SimEvent& e : m_active)
    if (e.source == source) return true;
  return false;
}

const SimEvent* ConditionTable::Lookup(const String& source, const String& condition) const {
  const long i = Find(source, condition);
  return i < 0 ? nullptr : &m_active[static_cast<size_t>(i)];
}

std::vector<SimEvent> ConditionTable::Snapshot() const {
  std::vector<SimEvent> out = m_active;
  for (SimEvent& e : out) e.changeMask = 0;  // a refresh reports state, not a change
  return out;
}

}  // namespace wtsim
