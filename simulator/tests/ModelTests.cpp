// Power plans and the change record, below the protocol.

#include <gtest/gtest.h>

#include "simulator/src/EventLog.h"
#include "simulator/src/PowerState.h"

namespace {

using sim::PowerAction;

TEST(PowerPlanTest, OnlySettledStatesAllowActions) {
  struct Case {
    PowerAction action;
    uint32_t from;
    bool allowed;
  } cases[] = {
      {PowerAction::On, sim::kPoweredOff, true},     {PowerAction::On, sim::kSuspended, true},
      {PowerAction::On, sim::kPaused, true},         {PowerAction::On, sim::kPoweredOn, false},
      {PowerAction::Off, sim::kPoweredOn, true},     {PowerAction::Off, sim::kSuspended, true},
      {PowerAction::Off, sim::kPoweredOff, false},   {PowerAction::Suspend, sim::kPoweredOn, true},
      {PowerAction::Suspend, sim::kSuspended, false}, {PowerAction::Reset, sim::kPoweredOn, true},
      {PowerAction::Reset, sim::kPoweredOff, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sim::PlanPowerAction(c.action, c.from).has_value(), c.allowed)
        << sim::PowerActionName(c.action) << " from " << c.from;
  for (uint32_t transition : {0x4u, 0x1u, 0x10u, 0x80u, 0x0808u, 0u})
    for (auto action : {PowerAction::On, PowerAction::Off, PowerAction::Suspend, PowerAction::Reset})
      EXPECT_FALSE(sim::PlanPowerAction(action, transition)) << transition;
  EXPECT_FALSE(sim::ParsePowerAction("On"));
  EXPECT_EQ(sim::ParsePowerAction("reset"), PowerAction::Reset);
}

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
