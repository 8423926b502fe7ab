// How long the notification callback held the delivering thread, per
// connection. Written out when WTCLIENT_DELIVERY_STATS names a file, so that
// flood tests can see what a control costs the library's thread.
#pragma once
#include <windows.h>

#include <cstdint>

namespace wtclient {

class DeliveryStats {
 public:
  DeliveryStats();
  // Brackets one callback call of `records` notifications.
  LONGLONG Begin() const;
  void End(LONGLONG begin, DWORD records);
  // A batch refused before the callback (malformed, not ours, or no memory
  // to copy it): its notifications are lost and counted.
  void Dropped(uint64_t records) { m_dropped += records; }
  // Appends "callbacks=N records=M longest_us=X total_us=Y dropped=D" to the
  // file, if one is named.
  void Report() const;

 private:
  LARGE_INTEGER m_frequency;
  uint64_t m_callbacks = 0;
  uint64_t m_records = 0;
  uint64_t m_dropped = 0;
  LONGLONG m_longest = 0;
  LONGLONG m_total = 0;
};

}  // namespace wtclient
