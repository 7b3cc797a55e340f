// Everything prefs.txt holds, with the defaults that apply when a setting is absent.
#pragma once

#include <cstdint>
#include <vector>

#include "state/PrefsRecords.h"

struct PrefsSettings {
  static constexpr int32_t kDefaultUpdateInterval = 7;
  static constexpr int32_t kDefaultMruDurationDays = 7;

  uint64_t mLastUpdateCheck = 0;  // seconds since 1970 UTC; 0 = never
  int32_t mUpdateInterval = kDefaultUpdateInterval;  // days between automatic update checks
  int32_t mMruDurationDays = kDefaultMruDurationDays;
  bool mCheckForUpdates = true;
  bool mShowOldLumaconWarning = true;
  bool mShowStateMarks = true;      // the favorites' power state before their names
  bool mNotifyStateChanges = true;  // a tray notice when a favorite changes state elsewhere
  std::vector<ServerRecord> mServers;  // as read; consumed at start-up
};
