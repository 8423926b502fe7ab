// AELibrary over a loaded WTclient.dll, and its loader.
#pragma once
#include "framework/AELibrary.h"

class WTclientLoader : public AELibraryLoader {
 public:
  std::unique_ptr<AELibrary> Load() override;
  void ReportIntake(uint32_t longestQueueWaitUs, uint64_t discarded) override;
  void KeepLoaded() override;
};
