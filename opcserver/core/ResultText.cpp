#include "opcserver/core/ResultText.h"

namespace opcsrv {

const char16_t* OpcResultText(uint32_t code) {
  switch (code) {
    case 0xC0040001u: return u"The handle is not valid.";
    case 0xC0040204u: return u"The time does not match the latest active time of the condition.";
    case 0xC0040205u: return u"A refresh of this subscription is already in progress.";
    case 0xC0040206u: return u"No information is available for this request.";
    case 0x00040200u: return u"The condition was already acknowledged.";
    case 0x00040201u: return u"The buffer time was not accepted as asked; the revised value is in use.";
    case 0x00040202u: return u"The maximum size was not accepted as asked; the revised value is in use.";
    case 0x00040203u: return u"The keep-alive time was not accepted as asked; the revised value is in use.";
    default: return nullptr;
  }
}

bool IsSupportedLocale(uint32_t lcid) {
  for (uint32_t l : kSupportedLocales)
    if (l == lcid) return true;
  return false;
}

}  // namespace opcsrv
