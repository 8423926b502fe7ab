#include "plant/EventEngine.h"

#include <algorithm>

#include "plant/Plant.h"

namespace wtsim {

EventEngine::EventEngine(const Scenario& scenario, uint64_t seed) : m_scenario(scenario), m_rng(seed) {
  m_scriptDone = m_scenario.script.empty();
  if (m_scenario.rate > 0) m_tickDue = kBufferTimeMs;
  if (m_scenario.burstEverySec > 0 && m_scenario.burstSize > 0) m_burstDue = NextBurstGap();
}

uint64_t EventEngine::NextBurstGap() {
  // Between half and one and a half times the mean interval.
  const uint64_t mean = uint64_t{m_scenario.burstEverySec} * 1000;
  return mean / 2 + static_cast<uint64_t>(m_rng.Real() * static_cast<double>(mean));
}

uint64_t EventEngine::NextDue() const {
  uint64_t due = m_scriptDone ? kNever : m_scriptDue;
  return std::min(due, std::min(m_tickDue, m_burstDue));
}

void EventEngine::SkipSilence() {
  // Generated traffic that would fall into a silence is not produced at all.
  if (m_tickDue >= m_silenceFrom && m_tickDue < m_silenceUntil) {
    const uint64_t n = (m_silenceUntil - m_tickDue + kBufferTimeMs - 1) / kBufferTimeMs;
    m_tickDue += n * kBufferTimeMs;
    m_tickCarry = 0;
  }
  if (m_burstDue >= m_silenceFrom && m_burstDue < m_silenceUntil) {
    m_burstDue = m_silenceUntil + (m_burstLeft ? 0 : NextBurstGap());
  }
}

Batch EventEngine::TakeDue(uint64_t now) {
  const uint64_t due = NextDue();
  if (due == kNever) return {};
  // The script goes first on a tie, so that a silence starting now also
  // holds back the generated traffic due now.
  if (!m_scriptDone && m_scriptDue == due) return RunScript(now);
  if (m_burstDue == due) {
    if (m_burstLeft == 0) m_burstLeft = m_scenario.burstSize;
    const uint32_t n = std::min(m_burstLeft, kMaxBatch);
    m_burstLeft -= n;
    if (m_burstLeft == 0) m_burstDue += NextBurstGap();
    return Generate(now, n);
  }
  // A steady tick: on average rate x buffer time records, jittered.
  m_tickDue += kBufferTimeMs;
  m_tickCarry += m_scenario.rate * kBufferTimeMs / 1000.0 * (0.5 + m_rng.Real());
  const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(m_tickCarry), kMaxBatch);
  m_tickCarry -= n;
  if (m_tickCarry > kMaxBatch) m_tickCarry = 0;
  return Generate(now, n);
}

Batch EventEngine::Generate(uint64_t now, uint32_t count) {
  Batch b;
  b.reserve(count);
  for (uint32_t i = 0; i < count; ++i) b.push_back(Plant::Next(m_rng, now, m_conditions));
  return b;
}

Batch EventEngine::RunScript(uint64_t now) {
  Batch batch;
  const std::vector<ScriptStep>& script = m_scenario.script;
  while (!m_scriptDone) {
    if (m_scriptPos >= script.size()) {
      if (m_scenario.loop) {
        m_scriptPos = 0;
        if (!batch.empty()) return batch;
        continue;
      }
      m_scriptDone = true;
      break;
    }
    const ScriptStep& s = script[m_scriptPos++];
    switch (s.kind) {
      case ScriptStep::Event:
      case ScriptStep::Alarm:
      case ScriptStep::Normal: {
        SimEvent e = s.event;
        e.time = s.time.Resolve(now);
        if (s.kind == ScriptStep::Alarm) e.activeTime = e.time;
        if (s.kind != ScriptStep::Event) m_conditions.Apply(e);
        batch.push_back(std::move(e));
        break;
      }
      case ScriptStep::Flush:
        if (!batch.empty()) return batch;
        break;
      case ScriptStep::Wait:
      case ScriptStep::Silence:
        if (s.kind == ScriptStep::Silence) {
          m_silenceFrom = m_scriptDue;
          m_silenceUntil = m_scriptDue + s.ms;
          SkipSilence();
        }
        m_scriptDue += s.ms;
        return batch;
    }
  }
  return batch;
}

std::vector<Batch> EventEngine::Refresh(size_t maxPerBatch) const {
  const std::vector<SimEvent> all = m_conditions.Snapshot();
  std::vector<Batch> out;
  if (maxPerBatch == 0) maxPerBatch = 1;
  for (size_t i = 0; i < all.size(); i += maxPerBatch)
    out.emplace_back(all.begin() + static_cast<long>(i),
                     all.begin() + static_cast<long>(std::min(all.size(), i + maxPerBatch)));
  if (out.empty()) out.emplace_back();
  return out;
}

}  // namespace wtsim
