// The Windows FILETIME scale, as plain numbers for the portable code: 100-ns ticks since 1601-01-01 UTC.
#pragma once
#include <cstdint>

namespace filetime {

constexpr uint64_t kTicksPerMs = 10000;
// Ticks from 1601-01-01 to 1970-01-01.
constexpr uint64_t kUnixEpoch = 116444736000000000ULL;

}  // namespace filetime
