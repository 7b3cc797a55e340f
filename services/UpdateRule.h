// The rules of the update check that need no window or network.
#pragma once

#include <cstdint>
#include <string>

namespace utils {

constexpr wchar_t kUpdateMarker[] = L"update = 1";
constexpr int64_t kSecondsPerDay = 86400;

// True when the fetched update document offers an update: it contains "update = 1"
// anywhere, exactly as written.
bool ContainsUpdateMarker(const std::wstring& document);

// Whether the automatic check of this run is due: automatic checks are on, the last check
// does not lie in the future, and more than updateInterval days (strictly) have passed.
// Times are seconds since 1970 UTC; lastUpdateCheck 0 means never.
bool IsAutomaticUpdateCheckDue(bool checkForUpdates, uint64_t lastUpdateCheck, int32_t updateInterval,
                               int64_t now);

}  // namespace utils
