// Everything prefs.txt holds, with the defaults that apply when a setting is absent.
#pragma once

#include <cstdint>
#include <vector>

#include "state/PrefsRecords.h"

struct PrefsSettings {
  static constexpr int32_t kDefaultUpdateInterval = 7;
  static constexpr int32_t kDefaultMruDurationDays = 7;
  // As a hotkey control gives it: the virtual key in the low byte, HOTKEYF_* in the high
  // byte. Ctrl+Alt+Z, which Windows and common programs leave free.
  static constexpr uint16_t kDefaultHotkey = ((0x02 | 0x04) << 8) | 'Z';

  uint64_t mLastUpdateCheck = 0;  // seconds since 1970 UTC; 0 = never
  int32_t mUpdateInterval = kDefaultUpdateInterval;  // days between automatic update checks
  int32_t mMruDurationDays = kDefaultMruDurationDays;
  bool mCheckForUpdates = true;
  bool mShowOldLumaconWarning = true;
  bool mShowStateMarks = true;      // power-state marks on the rows of open VMs
  bool mNotifyStateChanges = true;  // a notification when a favorite changes state
  uint16_t mHotkey = kDefaultHotkey;  // opens the popup; 0 = none
  std::vector<ServerRecord> mServers;  // as read; consumed at start-up
};
