#include "state/RecentUse.h"

#include <ctime>

bool IsRecentlyUsed(uint64_t lastUse, uint64_t now, int32_t mruDurationDays) {
  if (lastUse == 0 || mruDurationDays <= 0) return false;
  const double age = static_cast<double>(now) - static_cast<double>(lastUse);
  const int64_t limit = static_cast<int64_t>(mruDurationDays) * 86400;
  return age < static_cast<double>(limit);
}

uint64_t CurrentUnixTime() {
  const long long now = static_cast<long long>(std::time(nullptr));
  return now > 0 ? static_cast<uint64_t>(now) : 0;
}
