// OpcAEMessage: one AE notification waiting in the session's queue, with the
// five fields the list and NewEvent use. The queue owns it until the drain (or
// a disconnect) frees it.
#pragma once
#include <cstdint>

#include "framework/Types.h"

struct OpcAEMessage {
  uint64_t time = 0;  // FILETIME: 100-ns intervals since 1601-01-01 00:00 UTC
  String source;
  String message;
  uint32_t category = 0;
  uint32_t severity = 0;
};
