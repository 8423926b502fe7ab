// Whether a client's acknowledgement of one condition is accepted. The
// client names the condition by source and name and proves it saw the
// current activation by its active time and its cookie. A condition that
// returned to normal unacknowledged still takes its acknowledgement; any
// other known condition that is not active counts as already acknowledged.
#pragma once
#include <cstdint>

#include "opcserver/core/ConditionCatalog.h"
#include "opcserver/core/ConditionMemory.h"
#include "plant/ConditionTable.h"

namespace opcsrv {

enum class AckVerdict { Accepted, UnknownCondition, WrongActiveTime, WrongCookie, AlreadyAcked };

AckVerdict CheckAck(const wtsim::ConditionTable& active, const ConditionMemory& memory, const ConditionCatalog& catalog,
                    const String& source, const String& condition, uint64_t activeTime, uint32_t cookie);

}  // namespace opcsrv
