#include "wtclient/server/core/AckCheck.h"

namespace opcsrv {

AckVerdict CheckAck(const wtsim::ConditionTable& active, const ConditionMemory& memory, const ConditionCatalog& catalog,
                    const String& source, const String& condition, uint64_t activeTime) {
  const wtsim::SimEvent* c = active.Lookup(source, condition);
  if (!c) c = memory.Inactive(source, condition);
  if (!c) return catalog.Find(source, condition) ? AckVerdict::AlreadyAcked : AckVerdict::UnknownCondition;
  if (c->activeTime != activeTime) return AckVerdict::WrongActiveTime;
  if (c->newState & wtsim::kStateAcked) return AckVerdict::AlreadyAcked;
  return AckVerdict::Accepted;
}

}  // namespace opcsrv
