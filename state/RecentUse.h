// The one rule for "recently used", shared by the preferences writer and the Recently Used
// list so that both keep exactly the same VMs.
#pragma once

#include <cstdint>

// True when lastUse (seconds since 1970 UTC, 0 = never) is strictly less than
// mruDurationDays days before now. The limit is computed in 64 bits, so no number of days
// can overflow it. Zero or negative days make nothing recent, even a last use that lies in
// the future (a clock that was set back).
bool IsRecentlyUsed(uint64_t lastUse, uint64_t now, int32_t mruDurationDays);

// Seconds since 1970-01-01 00:00 UTC.
uint64_t CurrentUnixTime();
