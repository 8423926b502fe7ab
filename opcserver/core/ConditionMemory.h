// What the server knows of conditions beyond the plant's table of active
// ones: conditions that returned to normal unacknowledged (they still await
// an acknowledgement and are refreshed), and who acknowledged what, when.
// A record returning a condition to normal gets the active time and cookie
// of the activation it ends: that is what a client acknowledges.
#pragma once
#include <map>
#include <utility>
#include <vector>

#include "plant/ConditionTable.h"

namespace opcsrv {

struct AckInfo {
  uint64_t time = 0;
  String actor, comment;
};

class ConditionMemory {
 public:
  // before: the active conditions before the batch was made; after: the
  // table once it was. Takes the batch's records in order (the plant's
  // acknowledgements included) and fixes up its return-to-normal records.
  void Track(const std::vector<wtsim::SimEvent>& before, wtsim::Batch& batch, const wtsim::ConditionTable& after);
  // The inactive, unacknowledged condition as a refresh record, or null.
  const wtsim::SimEvent* Inactive(const String& source, const String& condition) const;
  std::vector<wtsim::SimEvent> InactiveUnacked() const;
  // The inactive condition was acknowledged: nothing awaits any more.
  void Forget(const String& source, const String& condition);

  void NoteAck(const String& source, const String& condition, const AckInfo& info);
  const AckInfo* LastAck(const String& source, const String& condition) const;

 private:
  using Key = std::pair<String, String>;
  void Remember(const wtsim::SimEvent& cleared);
  std::map<Key, wtsim::SimEvent> m_inactive;
  std::map<Key, AckInfo> m_acks;
};

}  // namespace opcsrv
