#include "services/UpdateRule.h"

#include <limits>

namespace utils {

bool ContainsUpdateMarker(const std::wstring& document) {
  return document.find(kUpdateMarker) != std::wstring::npos;
}

bool IsAutomaticUpdateCheckDue(bool checkForUpdates, uint64_t lastUpdateCheck, int32_t updateInterval,
                               int64_t now) {
  if (!checkForUpdates) return false;
  // A stored time beyond the signed range lies in the future of any clock.
  if (lastUpdateCheck > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
  const int64_t last = static_cast<int64_t>(lastUpdateCheck);
  if (now < last) return false;
  const int64_t elapsed = now - last;
  return elapsed > static_cast<int64_t>(updateInterval) * kSecondsPerDay;
}

}  // namespace utils
