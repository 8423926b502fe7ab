// The simulated server's active conditions, one per source and condition
// name: what a refresh sends again.
#pragma once
#include <vector>

#include "plant/SimEvent.h"

namespace wtsim {

class ConditionTable {
 public:
  // Records the condition of a condition event: active ones are kept (the
  // latest record replaces an older one), inactive ones are removed.
  void Apply(const SimEvent& conditionEvent);
  // Marks the condition acknowledged; false if it is not active.
  bool Acknowledge(const String& source, const String& condition);
  bool HasSource(const String& source) const;
  // The active condition, or null.
  const SimEvent* Lookup(const String& source, const String& condition) const;
  size_t Size() const { return m_active.size(); }
  const SimEvent& At(size_t i) const { return m_active[i]; }
  // The active conditions as refresh records, oldest first.
  std::vector<SimEvent> Snapshot() const;

 private:
  long Find(const String& source, const String& condition) const;
  std::vector<SimEvent> m_active;
};

}  // namespace wtsim
