// The program's clock: seconds since 1970-01-01 00:00 UTC, replaceable so that rules
// about time can be tested at exact boundaries.
#pragma once

#include <cstdint>

namespace utils {

using TimeSource = int64_t (*)();

// From the installed source: the system clock unless a test installed another.
int64_t CurrentUnixTime();
// nullptr restores the system clock.
void SetTimeSource(TimeSource source);

}  // namespace utils
