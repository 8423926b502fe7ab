// The notification stream of one connection of the simulated server: the
// scenario's script and the generated plant traffic (steady ticks and
// bursts), merged on one timeline in milliseconds since the subscription
// started. The caller owns the clock: it asks when the next batch is due,
// waits, and takes it, which keeps the engine deterministic under test.
#pragma once
#include <cstdint>
#include <vector>

#include "plant/ConditionTable.h"
#include "plant/Random.h"
#include "plant/Scenario.h"

namespace wtsim {

class EventEngine {
 public:
  static constexpr uint64_t kNever = ~0ULL;
  // Generated traffic is buffered and sent at this period, at most this many
  // records per batch (the revised values of the subscription).
  static constexpr uint32_t kBufferTimeMs = 500;
  static constexpr uint32_t kMaxBatch = 100;

  EventEngine(const Scenario& scenario, uint64_t seed);

  // When the next batch is due (ms on the engine's timeline), or kNever.
  uint64_t NextDue() const;
  // Takes the batch due at NextDue(); nowFileTime stamps "now" events. The
  // batch may be empty (a quiet tick); such a batch is not to be sent.
  Batch TakeDue(uint64_t nowFileTime);
  // The active conditions in batches of at most maxPerBatch; at least one
  // batch, empty when nothing is active.
  std::vector<Batch> Refresh(size_t maxPerBatch = kMaxBatch) const;

  const ConditionTable& Conditions() const { return m_conditions; }
  // For acknowledgements made by a client between batches.
  ConditionTable& MutableConditions() { return m_conditions; }

 private:
  Batch RunScript(uint64_t now);
  Batch Generate(uint64_t now, uint32_t count);
  void SkipSilence();
  uint64_t NextBurstGap();

  Scenario m_scenario;
  Random m_rng;
  ConditionTable m_conditions;

  size_t m_scriptPos = 0;
  uint64_t m_scriptDue = 0;
  bool m_scriptDone = false;

  uint64_t m_silenceFrom = 0, m_silenceUntil = 0;

  uint64_t m_tickDue = kNever;
  double m_tickCarry = 0;
  uint64_t m_burstDue = kNever;
  uint32_t m_burstLeft = 0;  // records of a running burst still to send
};

}  // namespace wtsim
