// The recent-use window: a VM counts as recently used while less than mruDurationDays
// days have passed since its last use. The clock and the duration are reached through
// replaceable sources so that the rule can be tested at exact boundaries.
#pragma once

#include <cstdint>

namespace utils {

using TimeSource = int64_t (*)();
using DurationSource = int32_t (*)();

// Seconds since 1970-01-01 00:00 UTC, from the installed source (the system clock
// unless a test installed another; nullptr restores the system clock).
int64_t CurrentUnixTime();
void SetTimeSource(TimeSource source);

// The mruDurationDays preference; 7 until the State installs the preferences' value.
int32_t RecentDurationDays();
void SetRecentDurationSource(DurationSource source);

// True when now - lastUse is strictly less than durationDays * 86400 seconds. A last use
// of 0 means never used and is never recent; with zero or negative days nothing is.
bool IsRecentUse(int64_t lastUse, int64_t now, int32_t durationDays);

}  // namespace utils
