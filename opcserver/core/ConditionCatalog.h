// What the server can tell about conditions before they happen: the
// condition names per category, the subconditions of a condition and the
// conditions of a source. From the plant's sources when the scenario
// generates plant traffic, and from the scenario's alarm and event lines.
#pragma once
#include <cstdint>
#include <vector>

#include "plant/Plant.h"
#include "plant/Scenario.h"

namespace opcsrv {

class ConditionCatalog {
 public:
  explicit ConditionCatalog(const wtsim::Scenario& scenario);

  bool HasCategory(uint32_t category) const;
  // Distinct condition names of a category (none for a category without conditions).
  std::vector<String> ConditionNames(uint32_t category) const;
  // False for an unknown condition name.
  bool SubConditionNames(const String& condition, std::vector<String>& out) const;
  // False for an unknown source; a known source may have no conditions.
  bool SourceConditions(const String& source, std::vector<String>& out) const;
  const wtsim::ConditionDef* Find(const String& source, const String& condition) const;

 private:
  void AddSource(const String& source);
  void AddCondition(const wtsim::ConditionDef& d);

  std::vector<wtsim::Category> m_categories;
  std::vector<wtsim::ConditionDef> m_conditions;
  std::vector<String> m_sources;
};

}  // namespace opcsrv
