// The one plant of a server process: the event engine over the scenario,
// its clock (started once the first subscription has a sink, so that the
// scenario's first batch reaches a client) and the subscriptions its
// batches are broadcast to. Acknowledgements by clients change the plant's
// conditions and are broadcast as notifications too. Thread-safe.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "opcserver/core/AckCheck.h"
#include "opcserver/core/ConditionCatalog.h"
#include "opcserver/core/ConditionMemory.h"
#include "opcserver/core/Delivery.h"
#include "plant/EventEngine.h"

namespace opcsrv {

// FILETIME now, as one 64-bit count.
uint64_t NowFileTime();

class PlantHub {
 public:
  PlantHub(const wtsim::Scenario& scenario, uint64_t seed);
  ~PlantHub();
  PlantHub(const PlantHub&) = delete;
  PlantHub& operator=(const PlantHub&) = delete;

  const std::vector<wtsim::Category>& Categories() const { return m_categories; }
  const ConditionCatalog& Catalog() const { return m_catalog; }

  // A call the scenario may script: blocks for its hang, then true if this
  // call is to fail.
  bool Scripted(wtsim::Call call);

  // Adds a subscription to the broadcast.
  void Attach(const std::shared_ptr<Delivery>& d);
  // Starts the plant's timeline, once; later calls do nothing.
  void StartClock();
  void Detach(const Delivery* d);
  size_t Attached() const;
  // Sends a batch to every attached subscription (each filters it).
  void Broadcast(const wtsim::Batch& batch);

  // The active conditions and those awaiting acknowledgement, as refresh
  // records.
  std::vector<wtsim::SimEvent> Snapshot() const;

  struct ConditionView {
    bool active = false;
    bool awaitsAck = false;  // not active, but unacknowledged
    wtsim::SimEvent record;  // when active or awaiting acknowledgement
    bool everAcked = false;
    AckInfo lastAck;
  };
  // False if the condition is neither known nor current.
  bool Condition(const String& source, const String& condition, ConditionView* out) const;

  struct AckItem {
    String source, condition;
    uint64_t activeTime = 0;
    uint32_t cookie = 0;
  };
  // One verdict per item; the accepted ones are acknowledged and their
  // notifications broadcast in one batch.
  std::vector<AckVerdict> Acknowledge(const std::vector<AckItem>& items, const String& actor,
                                      const String& comment = String());

  uint64_t StartTime() const { return m_startTime; }
  uint64_t LastUpdate() const;
  void NoteSent();

 private:
  void ClockMain();

  const std::vector<wtsim::Category> m_categories;
  const ConditionCatalog m_catalog;
  const uint64_t m_startTime;

  mutable std::mutex m_engineMutex;  // the engine and the scenario's call modes
  wtsim::Scenario m_scenario;
  wtsim::EventEngine m_engine;
  ConditionMemory m_memory;

  mutable std::mutex m_mutex;  // subscriptions, clock state, last update
  std::condition_variable m_wake;
  std::vector<std::weak_ptr<Delivery>> m_subscribers;
  std::thread m_clock;
  bool m_stop = false;
  uint64_t m_lastUpdate = 0;
};

}  // namespace opcsrv
