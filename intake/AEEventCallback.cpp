#include "intake/OpcAESession.h"

// Runs on the library's threads: copy and queue, nothing else. The copies are
// made before the queue lock is taken, so the lock is held only to append.
// Nothing may escape into the library; a record that cannot be allocated is
// dropped.
void AEEventCallback(uintptr_t clientHandle, Bool32, Bool32, uint32_t count,
                     const AEEventRecord* records) noexcept {
  auto* session = reinterpret_cast<OpcAESession*>(clientHandle);
  if (!session) return;
  try {
    OpcAESession::Queue batch;
    CopyRecords(batch, count, records);
    session->Append(batch);
  } catch (...) {
  }
}

void CopyRecords(OpcAESession::Queue& out, uint32_t count, const AEEventRecord* records) noexcept {
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
    }
  }
}
