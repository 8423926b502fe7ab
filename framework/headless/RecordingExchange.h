// A save without a store: records what a control's property exchange writes,
// name by name, in exchange order, so tests can compare whole property sets.
#pragma once
#include <utility>
#include <vector>

#include "framework/OleControl.h"
#include "framework/PropExchange.h"

using PropEntry = std::pair<String, Value>;

class RecordingExchange : public PropExchange {
 public:
  RecordingExchange() : PropExchange(Mode::Save) {}
  std::vector<PropEntry> entries;

 protected:
  bool Exchange(const char16_t* name, Value& value) override {
    entries.emplace_back(name, value);
    return true;
  }
};

inline std::vector<PropEntry> Snapshot(COleControl& c) {
  RecordingExchange px;
  c.DoPropExchange(px);
  return px.entries;
}
