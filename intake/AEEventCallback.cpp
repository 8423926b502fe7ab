#include <algorithm>

#include "intake/OpcAESession.h"

// Runs on the library's threads: copy and queue, nothing else. The copies are
// made before the queue lock is taken, so the lock is held only to append.
// Nothing may escape into the library; a record that cannot be allocated is
// dropped, and counted.
void AEEventCallback(uintptr_t clientHandle, Bool32, Bool32, uint32_t count,
                     const AEEventRecord* records) noexcept {
  auto* session = reinterpret_cast<OpcAESession*>(clientHandle);
  if (!session || !records) return;
  try {
    // Of a batch larger than the bound only the newest records could stay:
    // the others are not even copied.
    const uint32_t keep = static_cast<uint32_t>(std::min<size_t>(count, session->Bounds().records));
    OpcAESession::Queue batch;
    const uint32_t failed = CopyRecords(batch, keep, records + (count - keep));
    session->Append(batch, count - keep, failed);
  } catch (...) {
  }
}

uint32_t CopyRecords(OpcAESession::Queue& out, uint32_t count, const AEEventRecord* records) noexcept {
  uint32_t failed = 0;
  for (uint32_t i = 0; i < count && records; ++i) {
    const AEEventRecord& r = records[i];
    try {
      auto m = std::make_unique<OpcAEMessage>();
      m->time = r.ftTime;
      if (r.szSource) m->source = r.szSource;
      if (r.szMessage) m->message = r.szMessage;
      m->category = r.dwEventCategory;
      m->severity = r.dwSeverity;
      out.push_back(std::move(m));
    } catch (...) {
      ++failed;
    }
  }
  return failed;
}

size_t QueuedBytes(const OpcAEMessage& record) noexcept {
  // What a heap block costs beyond its contents, about; short texts are
  // counted as blocks of their own too, which errs on the safe side.
  constexpr size_t kBlock = 16;
  auto text = [](const String& s) { return (s.capacity() + 1) * sizeof(char16_t) + kBlock; };
  return sizeof(void*) + sizeof(OpcAEMessage) + kBlock + text(record.source) + text(record.message);
}
