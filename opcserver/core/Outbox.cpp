#include "opcserver/core/Outbox.h"

#include <algorithm>
#include <iterator>

namespace opcsrv {

void Outbox::Configure(uint32_t bufferTimeMs, uint32_t maxSize) {
  m_bufferMs = bufferTimeMs;
  m_maxSize = maxSize;
}

void Outbox::Add(wtsim::Batch records, uint64_t nowMs) {
  if (records.empty()) return;
  if (m_pending == 0) m_firstArrival = nowMs;
  m_lastArrival = nowMs;
  m_pending += records.size();
  m_batches.push_back(std::move(records));
}

uint64_t Outbox::DueAt() const {
  if (m_pending == 0) return kNever;
  if (m_bufferMs == 0) return m_firstArrival;
  if (m_maxSize > 0 && m_pending >= m_maxSize) return m_lastArrival;
  return m_sent ? std::max(m_firstArrival, m_lastSent + m_bufferMs) : m_firstArrival;
}

void Outbox::Clear() {
  m_batches.clear();
  m_pending = 0;
}

// Moves the first count records of from into calls of at most max size.
void Outbox::Split(wtsim::Batch& from, size_t count, std::vector<wtsim::Batch>& out) {
  const size_t chunk = m_maxSize ? m_maxSize : count;
  size_t at = 0;
  while (at < count) {
    const size_t n = std::min(chunk, count - at);
    out.emplace_back(std::make_move_iterator(from.begin() + static_cast<long>(at)),
                     std::make_move_iterator(from.begin() + static_cast<long>(at + n)));
    at += n;
  }
  from.erase(from.begin(), from.begin() + static_cast<long>(count));
}

std::vector<wtsim::Batch> Outbox::Take(uint64_t nowMs) {
  std::vector<wtsim::Batch> calls;
  if (m_pending == 0 || DueAt() > nowMs) return calls;
  if (m_bufferMs == 0) {
    // Batch boundaries are kept: each batch goes as it arose.
    for (wtsim::Batch& b : m_batches) Split(b, b.size(), calls);
    Clear();
  } else {
    wtsim::Batch all;
    all.reserve(m_pending);
    for (wtsim::Batch& b : m_batches)
      all.insert(all.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
    m_batches.clear();
    const bool bufferElapsed = !m_sent || nowMs >= m_lastSent + m_bufferMs;
    // Before the buffer time is over only whole calls of max size go.
    const size_t count = bufferElapsed ? all.size() : all.size() - all.size() % m_maxSize;
    Split(all, count, calls);
    m_pending = all.size();
    if (m_pending) {
      m_firstArrival = nowMs;
      m_batches.push_back(std::move(all));
    }
  }
  m_sent = true;
  m_lastSent = nowMs;
  return calls;
}

}  // namespace opcsrv
