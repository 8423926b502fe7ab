#include "opcserver/core/LostNotice.h"

#include <string>

namespace opcsrv {

const char16_t kLostSource[] = u"* Velmaric OPC AE server *";

wtsim::SimEvent LostNotice(uint64_t count, uint64_t firstLostTime) {
  const std::string n = std::to_string(count);
  wtsim::SimEvent e;
  e.eventType = wtsim::kSimpleEvent;
  e.category = kLostCategory;
  e.severity = kLostSeverity;
  e.time = firstLostTime;
  e.source = kLostSource;
  e.message = u"* " + String(n.begin(), n.end()) + (count == 1 ? u" notification" : u" notifications") +
              u" lost: the connection could not keep up *";
  return e;
}

}  // namespace opcsrv
