#include "opcserver/core/ConditionMemory.h"

#include "plant/Plant.h"

namespace opcsrv {

void ConditionMemory::Remember(const wtsim::SimEvent& cleared) {
  wtsim::SimEvent r = cleared;
  r.changeMask = 0;  // a refresh reports state, not a change
  r.newState = wtsim::kStateEnabled;
  r.ackRequired = true;
  m_inactive[{r.source, r.condition}] = r;
}

namespace {

// An operator's acknowledgement at the plant: a record of the
// acknowledgement category naming the condition and the operator. A
// scripted event never names an operator and changes no condition, whatever
// its category.
bool IsPlantAck(const wtsim::SimEvent& r) {
  return !r.condition.empty() && r.eventType == wtsim::kSimpleEvent &&
         r.category == wtsim::plantcat::kAcknowledgement && (r.changeMask & wtsim::kChangeAckState) &&
         !r.actor.empty();
}

}  // namespace

void ConditionMemory::Track(const std::vector<wtsim::SimEvent>& before, wtsim::Batch& batch,
                            const wtsim::ConditionTable& after) {
  // The conditions as each record of the batch leaves them, in order: an
  // acknowledgement and a return to normal in one batch must be seen as
  // such, not judged by the state before it.
  std::map<Key, wtsim::SimEvent> running;
  for (const wtsim::SimEvent& e : before) running[{e.source, e.condition}] = e;
  for (wtsim::SimEvent& r : batch) {
    if (IsPlantAck(r)) {
      auto acked = running.find({r.source, r.condition});
      if (acked != running.end()) acked->second.newState |= wtsim::kStateAcked;
      continue;
    }
    if (r.condition.empty()) continue;
    const Key key{r.source, r.condition};
    if (r.newState & wtsim::kStateActive) {
      running[key] = r;
      m_inactive.erase(key);  // a new activation supersedes the old one
      continue;
    }
    if (!(r.changeMask & wtsim::kChangeActiveState)) continue;
    auto it = running.find(key);
    if (it == running.end()) continue;
    const wtsim::SimEvent& ended = it->second;
    if (r.activeTime == 0) r.activeTime = ended.activeTime;
    if (r.cookie == 0) r.cookie = ended.cookie;
    if (!(ended.newState & wtsim::kStateAcked)) Remember(r);
    running.erase(it);
  }
  // The plant's own returns to normal carry no condition record: they show
  // as conditions gone from the table.
  for (const auto& [key, c] : running)
    if (!after.Lookup(key.first, key.second) && !(c.newState & wtsim::kStateAcked)) Remember(c);
}

const wtsim::SimEvent* ConditionMemory::Inactive(const String& source, const String& condition) const {
  auto it = m_inactive.find({source, condition});
  return it == m_inactive.end() ? nullptr : &it->second;
}

std::vector<wtsim::SimEvent> ConditionMemory::InactiveUnacked() const {
  std::vector<wtsim::SimEvent> out;
  for (const auto& kv : m_inactive) out.push_back(kv.second);
  return out;
}

void ConditionMemory::Forget(const String& source, const String& condition) { m_inactive.erase({source, condition}); }

void ConditionMemory::NoteAck(const String& source, const String& condition, const AckInfo& info) {
  m_acks[{source, condition}] = info;
}

const AckInfo* ConditionMemory::LastAck(const String& source, const String& condition) const {
  auto it = m_acks.find({source, condition});
  return it == m_acks.end() ? nullptr : &it->second;
}

}  // namespace opcsrv
