#include <gtest/gtest.h>

#include "backend/RecentUse.h"
#include "tests/model/ModelTestSupport.h"

TEST(RecentUse, TheWindowIsExclusive) {
  const int64_t now = 1700000000;
  EXPECT_FALSE(utils::IsRecentUse(now - 7 * 86400, now, 7));     // exactly the limit: out
  EXPECT_TRUE(utils::IsRecentUse(now - 7 * 86400 + 1, now, 7));  // one second less: in
  EXPECT_TRUE(utils::IsRecentUse(now, now, 7));
  EXPECT_TRUE(utils::IsRecentUse(now + 3600, now, 7));           // clock set back a little
}

TEST(RecentUse, NeverUsedAndEmptyWindows) {
  const int64_t now = 1700000000;
  EXPECT_FALSE(utils::IsRecentUse(0, now, 7));
  EXPECT_FALSE(utils::IsRecentUse(now, now, 0));  // 0 days empties Recently Used
  EXPECT_FALSE(utils::IsRecentUse(now + 10, now, 0));
  EXPECT_FALSE(utils::IsRecentUse(now, now, -3));
}

TEST(RecentUse, LargeDurationsDoNotWrap) {
  const int64_t now = 1700000000;
  // 30000 days * 86400 does not fit 32 bits; the window must still be huge, not negative.
  EXPECT_TRUE(utils::IsRecentUse(now - 20000LL * 86400, now, 30000));
  EXPECT_TRUE(utils::IsRecentUse(1, now, INT32_MAX));
}

TEST(RecentUse, SourcesCanBeReplacedAndRestored) {
  TestClock::now = 12345;
  TestClock::days = 3;
  TestClock::Install();
  EXPECT_EQ(utils::CurrentUnixTime(), 12345);
  EXPECT_EQ(utils::RecentDurationDays(), 3);
  TestClock::Restore();
  EXPECT_GT(utils::CurrentUnixTime(), 1600000000);
  EXPECT_EQ(utils::RecentDurationDays(), 7);
}
