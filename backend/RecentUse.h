// The recent-use window: a VM counts as recently used while less than mruDurationDays
// days have passed since its last use.
#pragma once

#include <cstdint>

#include "services/Clock.h"

namespace utils {

using DurationSource = int32_t (*)();

constexpr int32_t kDefaultRecentDays = 7;

// The process's mruDurationDays, which VMs use for their recent flag: the value the
// program last set (kDefaultRecentDays until then), or what a test's source answers.
int32_t RecentDurationDays();
void SetRecentDurationDays(int32_t days);
// For tests: a source that overrides the value; nullptr removes it.
void SetRecentDurationSource(DurationSource source);

// True when now - lastUse is strictly less than durationDays * 86400 seconds. A last use
// of 0 means never used and is never recent; with zero or negative days nothing is.
bool IsRecentUse(int64_t lastUse, int64_t now, int32_t durationDays);

}  // namespace utils
