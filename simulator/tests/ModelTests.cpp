// The change record the event long poll hands out, below the protocol.

#include <gtest/gtest.h>

#include "simulator/src/EventLog.h"

namespace {

sim::Change PowerChange(const char* moid, uint32_t state) {
  sim::Change c;
  c.kind = "power";
  c.moid = moid;
  c.powerState = state;
  return c;
}

TEST(EventLogTest, HandsOutChangesAfterSinceAndAsksForAResyncWhenSomeWereDropped) {
  sim::EventLog log(3);
  for (uint32_t i = 1; i <= 5; ++i) EXPECT_EQ(log.Append(PowerChange("vm-1", i)), i);
  bool resync = false;
  auto recent = log.Since(3, &resync);
  EXPECT_FALSE(resync);
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0].seq, 4u);
  EXPECT_EQ(recent[1].seq, 5u);

  auto kept = log.Since(2, &resync);  // 3 is still kept
  EXPECT_FALSE(resync);
  EXPECT_EQ(kept.size(), 3u);

  auto lost = log.Since(1, &resync);  // 2 was dropped
  EXPECT_TRUE(resync);
  EXPECT_EQ(lost.size(), 3u);

  EXPECT_TRUE(log.Since(5, &resync).empty());
  EXPECT_FALSE(resync);
  EXPECT_TRUE(log.Since(9, &resync).empty());
  EXPECT_TRUE(resync);
}

}  // namespace
