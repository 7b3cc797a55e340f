#include "services/Clock.h"

#include <atomic>
#include <ctime>

namespace utils {
namespace {

int64_t SystemTime() { return static_cast<int64_t>(std::time(nullptr)); }

std::atomic<TimeSource> gTimeSource{&SystemTime};

}  // namespace

int64_t CurrentUnixTime() { return gTimeSource.load()(); }

void SetTimeSource(TimeSource source) { gTimeSource.store(source ? source : &SystemTime); }

}  // namespace utils
