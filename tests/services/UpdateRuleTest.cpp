// When the automatic check is due, and what counts as an offered update.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "services/UpdateRule.h"

namespace {
constexpr int64_t kNow = 1767225600;  // 2026-01-01 00:00 UTC
constexpr int64_t kDay = 86400;
}  // namespace

// Due only when more than the interval has passed; a last check in the future (even beyond
// the signed range, not a wrapped-around past) means no check; large intervals do not overflow.
TEST(AutomaticUpdateRule, ChecksOnlyWhenMoreThanTheIntervalHasPassed) {
  const uint64_t maxSigned = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  const int32_t huge = std::numeric_limits<int32_t>::max();
  const struct {
    uint64_t lastCheck;
    int32_t days;
    int64_t now;
    bool due;
  } cases[] = {
      {kNow - 7 * kDay, 7, kNow, false},     {kNow - 7 * kDay - 1, 7, kNow, true}, {kNow - 1, 7, kNow, false},
      {kNow - 14 * kDay, 14, kNow, false},   {kNow - 14 * kDay - 1, 14, kNow, true}, {kNow - 2 * kDay, 1, kNow, true},
      {kNow + 1, 7, kNow, false},            {kNow + 400 * kDay, 7, kNow, false},  {~0ull, 7, kNow, false},
      {maxSigned + 1, 7, kNow, false},       {1, huge, kNow, false},               {1, huge, huge * kDay + 2, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utils::IsAutomaticUpdateCheckDue(true, c.lastCheck, c.days, c.now), c.due)
        << c.lastCheck << " " << c.days << " " << c.now;
  }
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
