#include "wtclient/DeliveryStats.h"

#include <cstdio>

namespace wtclient {

DeliveryStats::DeliveryStats() { QueryPerformanceFrequency(&m_frequency); }

LONGLONG DeliveryStats::Begin() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

void DeliveryStats::End(LONGLONG begin, DWORD records) {
  const LONGLONG took = Begin() - begin;
  ++m_callbacks;
  m_records += records;
  m_total += took;
  if (took > m_longest) m_longest = took;
}

void DeliveryStats::Report() const {
  wchar_t path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"WTCLIENT_DELIVERY_STATS", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || m_frequency.QuadPart == 0) return;
  FILE* f = _wfopen(path, L"a");
  if (!f) return;
  const double us = 1e6 / static_cast<double>(m_frequency.QuadPart);
  fprintf(f, "callbacks=%llu records=%llu longest_us=%.0f total_us=%.0f dropped=%llu\n",
          static_cast<unsigned long long>(m_callbacks), static_cast<unsigned long long>(m_records),
          static_cast<double>(m_longest) * us, static_cast<double>(m_total) * us,
          static_cast<unsigned long long>(m_dropped));
  fclose(f);
}

}  // namespace wtclient
