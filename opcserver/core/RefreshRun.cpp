#include "opcserver/core/RefreshRun.h"

#include <algorithm>

namespace opcsrv {

std::vector<wtsim::SimEvent> RefreshRecords(const std::vector<wtsim::SimEvent>& snapshot, const EventFilter& f) {
  std::vector<wtsim::SimEvent> out;
  for (const wtsim::SimEvent& e : snapshot)
    if (f.Matches(e)) out.push_back(e);
  return out;
}

RefreshRun::RefreshRun(std::vector<wtsim::SimEvent> records, uint32_t maxSize)
    : m_records(std::move(records)), m_maxSize(maxSize ? maxSize : m_records.size()), m_running(true) {}

RefreshRun::Call RefreshRun::Next() {
  Call c;
  if (!m_running) return c;
  const size_t n = std::min(m_maxSize, m_records.size() - m_sent);
  c.records.assign(m_records.begin() + static_cast<long>(m_sent), m_records.begin() + static_cast<long>(m_sent + n));
  m_sent += n;
  c.last = m_sent == m_records.size();
  if (c.last) m_running = false;
  return c;
}

void RefreshRun::Cancel() {
  if (!m_running) return;
  m_records.resize(m_sent);
}

}  // namespace opcsrv
