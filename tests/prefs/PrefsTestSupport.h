// Shared pieces of the preferences tests: a fixed clock and a live-server source.
#pragma once

#include <cstdint>
#include <vector>

#include "state/PrefsServerSource.h"

constexpr uint64_t kNow = 1700000000;  // 2023-11-14
inline uint64_t FixedClock() { return kNow; }

class FakeServerSource : public PrefsServerSource {
 public:
  std::vector<LiveServer> GetServersForPrefs() override { return mServers; }
  std::vector<LiveServer> mServers;
};
