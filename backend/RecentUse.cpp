#include "backend/RecentUse.h"

#include <atomic>
#include <ctime>

namespace utils {
namespace {

int64_t SystemTime() { return static_cast<int64_t>(std::time(nullptr)); }
int32_t DefaultDuration() { return 7; }

std::atomic<TimeSource> gTimeSource{&SystemTime};
std::atomic<DurationSource> gDurationSource{&DefaultDuration};

}  // namespace

int64_t CurrentUnixTime() { return gTimeSource.load()(); }

void SetTimeSource(TimeSource source) { gTimeSource.store(source ? source : &SystemTime); }

int32_t RecentDurationDays() { return gDurationSource.load()(); }

void SetRecentDurationSource(DurationSource source) { gDurationSource.store(source ? source : &DefaultDuration); }

bool IsRecentUse(int64_t lastUse, int64_t now, int32_t durationDays) {
  // Zero or negative days make nothing recent, even a last use in the future (a clock
  // that was set back); the preferences writer applies the same rule.
  if (lastUse == 0 || durationDays <= 0) return false;
  // 64-bit product: a large day count must not wrap into a negative window.
  const int64_t limit = static_cast<int64_t>(durationDays) * 86400;
  // As a floating-point difference: times read from the preferences file can be anything,
  // and an integer difference could overflow.
  return static_cast<double>(now) - static_cast<double>(lastUse) < static_cast<double>(limit);
}

}  // namespace utils
