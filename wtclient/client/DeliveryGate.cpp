#include "wtclient/client/DeliveryGate.h"

#include <algorithm>

#include "wtclient/Registry.h"

namespace wtclient {

DeliveryGate::DeliveryGate() {
  InitializeCriticalSection(&m_cs);
  InitializeConditionVariable(&m_left);
}

DeliveryGate::~DeliveryGate() { DeleteCriticalSection(&m_cs); }

bool DeliveryGate::Enter() {
  Lock lock(m_cs);
  if (m_closed || m_dead) return false;
  m_inside.push_back(GetCurrentThreadId());
  return true;
}

void DeliveryGate::Dropped(DWORD records) {
  Lock lock(m_cs);
  m_stats.Dropped(records);
}

void DeliveryGate::Leave(LONGLONG begin, DWORD records) {
  Lock lock(m_cs);
  // Under the lock: several RPC threads may deliver at once.
  m_stats.End(begin, records);
  auto it = std::find(m_inside.begin(), m_inside.end(), GetCurrentThreadId());
  if (it != m_inside.end()) m_inside.erase(it);
  WakeAllConditionVariable(&m_left);
}

bool DeliveryGate::Close() {
  const DWORD self = GetCurrentThreadId();
  Lock lock(m_cs);
  m_closed = true;
  for (;;) {
    const bool othersInside =
        std::any_of(m_inside.begin(), m_inside.end(), [self](DWORD id) { return id != self; });
    if (!othersInside) break;
    SleepConditionVariableCS(&m_left, &m_cs, INFINITE);
  }
  return std::find(m_inside.begin(), m_inside.end(), self) != m_inside.end();
}

void DeliveryGate::MarkDead() {
  Lock lock(m_cs);
  m_dead = true;
}

bool DeliveryGate::Dead() const {
  Lock lock(m_cs);
  return m_dead;
}

void DeliveryGate::Report() const {
  Lock lock(m_cs);
  m_stats.Report();
}

}  // namespace wtclient
