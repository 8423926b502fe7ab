// A container stand-in for native tests: records fired events, property
// notifications and repaint requests, and answers ambient properties from a map.
#pragma once
#include <functional>
#include <map>
#include <vector>

#include "framework/OleControl.h"

class RecordingHost : public ControlHost {
 public:
  struct Event {
    DispId id;
    std::vector<Value> args;
  };

  void FireEvent(DispId id, const std::vector<Value>& args) override {
    m_events.push_back({id, args});
    if (m_onEvent) m_onEvent(m_events.back());
  }
  void OnPropertyChanged(DispId id) override { m_changed.push_back(id); }
  void InvalidateControl() override { ++m_nInvalidations; }
  std::optional<Value> GetAmbient(DispId id) override {
    auto it = m_ambient.find(id);
    if (it == m_ambient.end()) return std::nullopt;
    return it->second;
  }

  std::vector<Event> m_events;
  std::vector<DispId> m_changed;
  std::map<DispId, Value> m_ambient;
  int m_nInvalidations = 0;
  std::function<void(const Event&)> m_onEvent;
};
