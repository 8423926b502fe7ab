#include "opcserver/core/PlantHub.h"

#include <algorithm>
#include <chrono>

#include "plant/Plant.h"

namespace opcsrv {

uint64_t NowFileTime() {
  using namespace std::chrono;
  const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return wtsim::kFileTimeUnixEpoch + static_cast<uint64_t>(us) * 10;
}

PlantHub::PlantHub(const wtsim::Scenario& scenario, uint64_t seed)
    : m_categories(scenario.categories),
      m_catalog(scenario),
      m_startTime(NowFileTime()),
      m_scenario(scenario),
      m_engine(scenario, seed) {}

PlantHub::~PlantHub() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    m_wake.notify_all();
  }
  if (m_clock.joinable()) m_clock.join();
}

bool PlantHub::Scripted(wtsim::Call call) {
  uint32_t hang = 0;
  {
    std::lock_guard<std::mutex> lock(m_engineMutex);
    hang = m_scenario.Mode(call).hangMs;
  }
  if (hang) std::this_thread::sleep_for(std::chrono::milliseconds(hang));
  std::lock_guard<std::mutex> lock(m_engineMutex);
  return m_scenario.TakeFailure(call);
}

void PlantHub::Attach(const std::shared_ptr<Delivery>& d) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_subscribers.push_back(d);
}

void PlantHub::StartClock() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_clock.joinable() && !m_stop) m_clock = std::thread([this] { ClockMain(); });
}

void PlantHub::Detach(const Delivery* d) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                     [&](const std::weak_ptr<Delivery>& w) {
                                       std::shared_ptr<Delivery> s = w.lock();
                                       return !s || s.get() == d;
                                     }),
                      m_subscribers.end());
}

size_t PlantHub::Attached() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_subscribers.size();
}

void PlantHub::Broadcast(const wtsim::Batch& batch) {
  if (batch.empty()) return;
  std::vector<std::shared_ptr<Delivery>> targets;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const std::weak_ptr<Delivery>& w : m_subscribers)
      if (std::shared_ptr<Delivery> s = w.lock()) targets.push_back(std::move(s));
  }
  for (const std::shared_ptr<Delivery>& s : targets) s->Post(batch);
}

void PlantHub::ClockMain() {
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_stop) {
    uint64_t due;
    {
      std::lock_guard<std::mutex> engine(m_engineMutex);
      due = m_engine.NextDue();
    }
    if (due == wtsim::EventEngine::kNever) {
      m_wake.wait(lock, [&] { return m_stop; });
      break;
    }
    if (m_wake.wait_until(lock, start + std::chrono::milliseconds(due), [&] { return m_stop; })) break;
    lock.unlock();
    wtsim::Batch batch;
    {
      std::lock_guard<std::mutex> engine(m_engineMutex);
      const std::vector<wtsim::SimEvent> before = m_engine.Conditions().Snapshot();
      batch = m_engine.TakeDue(NowFileTime());
      m_memory.Track(before, batch, m_engine.Conditions());
    }
    Broadcast(batch);
    lock.lock();
  }
}

std::vector<wtsim::SimEvent> PlantHub::Snapshot() const {
  std::lock_guard<std::mutex> lock(m_engineMutex);
  std::vector<wtsim::SimEvent> out = m_engine.Conditions().Snapshot();
  for (wtsim::SimEvent& e : m_memory.InactiveUnacked()) out.push_back(std::move(e));
  return out;
}

bool PlantHub::Condition(const String& source, const String& condition, ConditionView* out) const {
  std::lock_guard<std::mutex> lock(m_engineMutex);
  *out = ConditionView();
  if (const wtsim::SimEvent* c = m_engine.Conditions().Lookup(source, condition)) {
    out->active = true;
    out->record = *c;
  } else if (const wtsim::SimEvent* i = m_memory.Inactive(source, condition)) {
    out->awaitsAck = true;
    out->record = *i;
  }
  if (const AckInfo* a = m_memory.LastAck(source, condition)) {
    out->everAcked = true;
    out->lastAck = *a;
  }
  return out->active || out->awaitsAck || m_catalog.Find(source, condition);
}

std::vector<AckVerdict> PlantHub::Acknowledge(const std::vector<AckItem>& items, const String& actor,
                                              const String& comment) {
  std::vector<AckVerdict> verdicts;
  wtsim::Batch notes;
  {
    std::lock_guard<std::mutex> lock(m_engineMutex);
    wtsim::ConditionTable& table = m_engine.MutableConditions();
    const uint64_t now = NowFileTime();
    for (const AckItem& it : items) {
      const AckVerdict v = CheckAck(table, m_memory, m_catalog, it.source, it.condition, it.activeTime, it.cookie);
      verdicts.push_back(v);
      if (v != AckVerdict::Accepted) continue;
      if (const wtsim::SimEvent* active = table.Lookup(it.source, it.condition)) {
        notes.push_back(wtsim::Plant::AcknowledgementOf(*active, now, actor));
        table.Acknowledge(it.source, it.condition);
      } else {
        notes.push_back(wtsim::Plant::AcknowledgementOf(*m_memory.Inactive(it.source, it.condition), now, actor));
        m_memory.Forget(it.source, it.condition);
      }
      m_memory.NoteAck(it.source, it.condition, {now, actor, comment});
    }
  }
  Broadcast(notes);
  return verdicts;
}

uint64_t PlantHub::LastUpdate() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_lastUpdate;
}

void PlantHub::NoteSent() {
  const uint64_t now = NowFileTime();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_lastUpdate = now;
}

}  // namespace opcsrv
