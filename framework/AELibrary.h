// The OPC AE client library as the session sees it: the eight library calls
// in portable types. win32: an adapter over the loaded WTclient.dll. Tests: a
// fake server. Every call except the notification callback is made on the
// session's worker thread.
#pragma once
#include <cstdint>
#include <memory>

#include "framework/Types.h"

// The fields of one ONEVENTSTRUCT that the intake reads. The strings belong to
// the library and live only during the callback; a null string reads as empty.
struct AEEventRecord {
  uint64_t ftTime = 0;  // FILETIME as one 64-bit count
  const char16_t* szSource = nullptr;
  const char16_t* szMessage = nullptr;
  uint32_t dwEventCategory = 0;
  uint32_t dwSeverity = 0;
};

// The notification callback: client handle (the session), refresh and last
// refresh flags, and count consecutive records. Runs on the library's threads.
using AEEventCallbackFn = void (*)(uintptr_t clientHandle, Bool32 refresh, Bool32 lastRefresh,
                                   uint32_t count, const AEEventRecord* records);

class AELibrary {
 public:
  // ConnectOPC_AE's failure result (the handle -1).
  static constexpr uintptr_t kConnectFailed = ~uintptr_t(0);

  virtual ~AELibrary() = default;
  virtual void WTclientCoInit() = 0;
  virtual void WTclientCoUninit() = 0;
  virtual void EnableExtendedAECallback(AEEventCallbackFn callback) = 0;
  virtual uintptr_t ConnectOPC_AE(const char* machine, const char* progId) = 0;
  // The arrays stay the library's; count is left alone when the query fails.
  virtual void QueryEventCategories(uintptr_t connection, uint32_t eventType, uint32_t* count,
                                    const uint32_t** ids, const char16_t* const** names) = 0;
  // Nonzero: the subscription exists. 0: it failed.
  virtual uintptr_t Create_AE_Subscription(uintptr_t connection, uintptr_t clientHandle,
                                           uint32_t* revisedBufferTime, uint32_t* revisedMaxSize) = 0;
  virtual void Refresh_AE_Subscription(uintptr_t connection, uintptr_t clientHandle) = 0;
  virtual void DisconnectOPC_AE(uintptr_t connection) = 0;
};

class AELibraryLoader {
 public:
  virtual ~AELibraryLoader() = default;
  // Called on the worker thread when it starts. nullptr: no library could be
  // loaded; the session then makes no library calls and every connect fails.
  // The library is released on the same thread when the worker ends.
  virtual std::unique_ptr<AELibrary> Load() = 0;

  // A session's intake figures, given when its control is destroyed: the
  // longest time a library thread waited for the queue lock, and how many
  // notifications were dropped undelivered. win32 writes them to the file
  // named by VELMARIC_INTAKE_STATS, if any; for measurements only.
  virtual void ReportIntake(uint32_t /*longestQueueWaitUs*/, uint64_t /*discarded*/) {}

  // A worker was let go while still inside the library (it did not stop in
  // time). The code it runs, and the callback the library holds, must then
  // stay loaded for as long as the process lives.
  virtual void KeepLoaded() {}
};
