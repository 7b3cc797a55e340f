#include "backend/RecentUse.h"

#include <atomic>

namespace utils {
namespace {

std::atomic<int32_t> gDays{kDefaultRecentDays};

int32_t ProcessDuration() { return gDays.load(); }

std::atomic<DurationSource> gDurationSource{&ProcessDuration};

}  // namespace

int32_t RecentDurationDays() { return gDurationSource.load()(); }

void SetRecentDurationDays(int32_t days) { gDays.store(days); }

void SetRecentDurationSource(DurationSource source) { gDurationSource.store(source ? source : &ProcessDuration); }

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
