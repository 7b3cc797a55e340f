// Shared pieces of the preferences tests: a fixed clock and a live-server source.
#pragma once

#include <cstdint>
#include <vector>

#include "backend/RecentUse.h"
#include "state/PrefsServerSource.h"

constexpr int64_t kNow = 1700000000;  // 2023-11-14
inline int64_t FixedClock() { return kNow; }

// Makes the program's clock read kNow while it lives.
struct FixedTime {
  FixedTime() { utils::SetTimeSource(&FixedClock); }
  ~FixedTime() { utils::SetTimeSource(nullptr); }
};

class FakeServerSource : public PrefsServerSource {
 public:
  std::vector<LiveServer> GetServersForPrefs() override { return mServers; }
  std::vector<LiveServer> mServers;
};
