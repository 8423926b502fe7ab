#include "opcserver/core/ConditionCatalog.h"

#include <algorithm>

namespace opcsrv {
namespace {

template <typename T>
void AddUnique(std::vector<T>& v, const T& x) {
  if (std::find(v.begin(), v.end(), x) == v.end()) v.push_back(x);
}

}  // namespace

ConditionCatalog::ConditionCatalog(const wtsim::Scenario& sc) : m_categories(sc.categories) {
  const bool generates = sc.rate > 0 || (sc.burstEverySec > 0 && sc.burstSize > 0);
  if (generates) {
    for (size_t i = 0; i < wtsim::Plant::SourceCount(); ++i) AddSource(wtsim::Plant::SourceName(i));
    for (const wtsim::ConditionDef& d : wtsim::Plant::ConditionDefs()) AddCondition(d);
  }
  for (const wtsim::ScriptStep& s : sc.script) {
    if (s.kind == wtsim::ScriptStep::Event) AddSource(s.event.source);
    if (s.kind == wtsim::ScriptStep::Alarm || s.kind == wtsim::ScriptStep::Normal)
      AddCondition({s.event.source, s.event.category, s.event.condition, {s.event.subcondition}});
  }
}

void ConditionCatalog::AddSource(const String& source) { AddUnique(m_sources, source); }

void ConditionCatalog::AddCondition(const wtsim::ConditionDef& d) {
  AddSource(d.source);
  for (wtsim::ConditionDef& c : m_conditions)
    if (c.source == d.source && c.condition == d.condition) {
      for (const String& s : d.subconditions) AddUnique(c.subconditions, s);
      return;
    }
  m_conditions.push_back(d);
}

bool ConditionCatalog::HasCategory(uint32_t category) const {
  return std::any_of(m_categories.begin(), m_categories.end(),
                     [&](const wtsim::Category& c) { return c.id == category; });
}

std::vector<String> ConditionCatalog::ConditionNames(uint32_t category) const {
  std::vector<String> out;
  for (const wtsim::ConditionDef& c : m_conditions)
    if (c.category == category) AddUnique(out, c.condition);
  return out;
}

bool ConditionCatalog::SubConditionNames(const String& condition, std::vector<String>& out) const {
  out.clear();
  bool known = false;
  for (const wtsim::ConditionDef& c : m_conditions)
    if (c.condition == condition) {
      known = true;
      for (const String& s : c.subconditions) AddUnique(out, s);
    }
  return known;
}

bool ConditionCatalog::SourceConditions(const String& source, std::vector<String>& out) const {
  out.clear();
  if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end()) return false;
  for (const wtsim::ConditionDef& c : m_conditions)
    if (c.source == source) AddUnique(out, c.condition);
  return true;
}

const wtsim::ConditionDef* ConditionCatalog::Find(const String& source, const String& condition) const {
  for (const wtsim::ConditionDef& c : m_conditions)
    if (c.source == source && c.condition == condition) return &c;
  return nullptr;
}

}  // namespace opcsrv
