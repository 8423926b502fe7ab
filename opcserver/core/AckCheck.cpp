#include "opcserver/core/AckCheck.h"

namespace opcsrv {

AckVerdict CheckAck(const wtsim::ConditionTable& active, const ConditionMemory& memory, const ConditionCatalog& catalog,
                    const String& source, const String& condition, uint64_t activeTime, uint32_t cookie) {
  const wtsim::SimEvent* c = active.Lookup(source, condition);
  if (!c) c = memory.Inactive(source, condition);
  if (!c) return catalog.Find(source, condition) ? AckVerdict::AlreadyAcked : AckVerdict::UnknownCondition;
  if (c->activeTime != activeTime) return AckVerdict::WrongActiveTime;
  // The cookie went out with this activation's notifications: any other
  // value is not one the client got from us for it.
  if (c->cookie != cookie) return AckVerdict::WrongCookie;
  if (c->newState & wtsim::kStateAcked) return AckVerdict::AlreadyAcked;
  return AckVerdict::Accepted;
}

}  // namespace opcsrv
