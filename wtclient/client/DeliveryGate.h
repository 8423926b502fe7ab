// The door between a COM connection's sinks and the notification callback:
// once the connection is closed or its server is gone nothing more passes,
// and Close waits for the callbacks already inside. Shared by the connection
// and its sinks, so a sink the server still holds never reaches a freed
// connection.
#pragma once
#include <windows.h>

#include <vector>

#include "wtclient/DeliveryStats.h"

namespace wtclient {

class DeliveryGate {
 public:
  DeliveryGate();
  ~DeliveryGate();
  DeliveryGate(const DeliveryGate&) = delete;
  DeliveryGate& operator=(const DeliveryGate&) = delete;

  // False once closed or dead; otherwise the caller is inside until Leave.
  bool Enter();
  // Records the callback's duration from `begin` (DeliveryStats::Begin).
  void Leave(LONGLONG begin, DWORD records);
  LONGLONG Begin() const { return m_stats.Begin(); }
  // Counts the notifications of a batch refused before the callback.
  void Dropped(DWORD records);

  // No new callback passes; returns when none is inside except those of the
  // calling thread (a callback that closes its own connection), and tells
  // whether the calling thread is inside one.
  bool Close();
  void MarkDead();
  bool Dead() const;
  // Writes the delivery figures out (after Close).
  void Report() const;

 private:
  mutable CRITICAL_SECTION m_cs;
  CONDITION_VARIABLE m_left;
  bool m_closed = false;
  bool m_dead = false;
  std::vector<DWORD> m_inside;  // thread ids of callbacks running now
  DeliveryStats m_stats;
};

}  // namespace wtclient
