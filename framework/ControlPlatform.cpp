#include "framework/ControlPlatform.h"

#include <chrono>
#include <thread>

#include "framework/CalendarMath.h"

namespace {

class SteadyClock : public Clock {
 public:
  uint32_t GetTickCount() override {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

// Local time is UTC here: nothing portable tells us the zone.
class UtcTime : public TimePort {
 public:
  bool UtcToLocal(uint64_t utc, uint64_t& local) override {
    local = utc;
    return true;
  }
  bool Split(uint64_t fileTime, CalendarTime& out) override {
    return calendar::SplitFileTime(fileTime, out);
  }
  int32_t BaseBiasMinutes() override { return 0; }
  bool ToAutomationDate(const CalendarTime& t, double& date) override {
    return calendar::ToAutomationDate(t, date);
  }
};

class NoLibrary : public AELibraryLoader {
 public:
  std::unique_ptr<AELibrary> Load() override { return nullptr; }
};

ControlPlatform& DefaultPlatform() {
  static SteadyClock clock;
  static UtcTime time;
  static NoLibrary library;
  static ControlPlatform platform{&clock, &time, &library};
  return platform;
}

}  // namespace

const ControlPlatform& ControlPlatform::Default() { return DefaultPlatform(); }
void ControlPlatform::SetDefault(const ControlPlatform& platform) { DefaultPlatform() = platform; }
