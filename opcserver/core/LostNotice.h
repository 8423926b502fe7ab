// The notification that stands where records meant for one client were
// dropped because the client fell too far behind: a simple event of a
// category of the server's own carrying how many were lost, so that a loss
// reaches the client (and the operator's list) at the place of the gap.
#pragma once
#include <cstdint>

#include "plant/SimEvent.h"

namespace opcsrv {

// Its low byte is neither the reset (1) nor the acknowledgement (3) mark,
// so a list that hides those still shows a loss. It is not among the
// categories the server lists (those stay exactly as the scenario declares
// them), and the notice passes every filter: what was lost had passed it.
constexpr uint32_t kLostCategory = 0x7F00;
extern const char16_t kLostSource[];
// The highest severity: a gap in the record is worth the operator's eye.
constexpr uint32_t kLostSeverity = 1000;

// "* N notifications lost: the connection could not keep up *", stamped
// with the time of the first record lost.
wtsim::SimEvent LostNotice(uint64_t count, uint64_t firstLostTime);

}  // namespace opcsrv
