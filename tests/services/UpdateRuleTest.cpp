// When the automatic check is due, and what counts as an offered update.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "services/UpdateRule.h"

namespace {
constexpr int64_t kNow = 1767225600;  // 2026-01-01 00:00 UTC
constexpr int64_t kDay = 86400;
}  // namespace

TEST(AutomaticUpdateRule, ChecksOnlyWhenMoreThanTheIntervalHasPassed) {
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, kNow - 7 * kDay, 7, kNow));  // exactly the interval
  EXPECT_TRUE(utils::IsAutomaticUpdateCheckDue(true, kNow - 7 * kDay - 1, 7, kNow));  // one second later
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, kNow - 1, 7, kNow));
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, kNow - 14 * kDay, 14, kNow));
  EXPECT_TRUE(utils::IsAutomaticUpdateCheckDue(true, kNow - 14 * kDay - 1, 14, kNow));
  EXPECT_TRUE(utils::IsAutomaticUpdateCheckDue(true, kNow - 2 * kDay, 1, kNow));
}

TEST(AutomaticUpdateRule, ALastCheckInTheFutureMeansNoCheck) {
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, kNow + 1, 7, kNow));
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, kNow + 400 * kDay, 7, kNow));
  // Beyond the signed range: still the future, not a wrapped-around past.
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, std::numeric_limits<uint64_t>::max(), 7, kNow));
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(
      true, static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1, 7, kNow));
}

TEST(AutomaticUpdateRule, LargeIntervalsDoNotOverflow) {
  const int32_t huge = std::numeric_limits<int32_t>::max();
  EXPECT_FALSE(utils::IsAutomaticUpdateCheckDue(true, 1, huge, kNow));
  EXPECT_TRUE(utils::IsAutomaticUpdateCheckDue(true, 1, huge, static_cast<int64_t>(huge) * kDay + 2));
}

TEST(UpdateMarker, CountsAnywhereButOnlyExactlyAsWritten) {
  EXPECT_TRUE(utils::ContainsUpdateMarker(L"update = 1"));
  EXPECT_TRUE(utils::ContainsUpdateMarker(L"version = 1.2.0\r\nstatus: update = 1 (see the page)\r\n"));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L"update=1"));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L"update =1"));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L"update  = 1"));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L"Update = 1"));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L"update = 0"));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L""));
  EXPECT_FALSE(utils::ContainsUpdateMarker(L"<html><body>Not found</body></html>"));
}
