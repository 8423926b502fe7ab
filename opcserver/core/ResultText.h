// Texts for the OPC AE result codes and the locales the server speaks.
#pragma once
#include <cstdint>

namespace opcsrv {

// The text of an OPC AE result code, or null for any other code.
const char16_t* OpcResultText(uint32_t code);

// LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT, neutral and US English: all
// our texts are English.
constexpr uint32_t kSupportedLocales[] = {0x0800, 0x0400, 0x0000, 0x0409};
bool IsSupportedLocale(uint32_t lcid);

}  // namespace opcsrv
