#include <gtest/gtest.h>

#include "backend/RecentUse.h"

TEST(RecentUse, TheWindowIsExclusiveAndDoesNotWrap) {
  const int64_t now = 1700000000;
  const struct {
    const char* what;
    int64_t lastUse;
    int32_t days;
    bool recent;
  } cases[] = {
      {"exactly the limit", now - 7 * 86400, 7, false},
      {"one second less", now - 7 * 86400 + 1, 7, true},
      {"now", now, 7, true},
      {"clock set back a little", now + 3600, 7, true},
      {"never used", 0, 7, false},
      {"0 days empties Recently Used", now, 0, false},
      {"0 days, in the future", now + 10, 0, false},
      {"negative days", now, -3, false},
      {"30000 days * 86400 does not fit 32 bits", now - 20000LL * 86400, 30000, true},
      {"the largest window", 1, INT32_MAX, true},
  };
  for (const auto& c : cases) EXPECT_EQ(utils::IsRecentUse(c.lastUse, now, c.days), c.recent) << c.what;
}
