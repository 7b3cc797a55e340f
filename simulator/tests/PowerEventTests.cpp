// Power operations and the long-poll "events" op.

#include <chrono>
#include <future>
#include <thread>

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

class PowerEventTest : public SimFixture {
 protected:
  // Long-polls from `since` until `count` changes arrived (or 10 s passed).
  std::vector<json> CollectChanges(const std::string& session, uint64_t since, size_t count) {
    std::vector<json> changes;
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (changes.size() < count && Clock::now() < deadline) {
      auto body = SdkJson({{"op", "events"}, {"session", session}, {"since", since}, {"waitMs", 2000}});
      if (body["ok"] != true) break;
      for (const auto& c : body["changes"]) changes.push_back(c);
      since = body["seq"].get<uint64_t>();
    }
    return changes;
  }

  json Power(const std::string& session, const std::string& moid, const std::string& action) {
    return SdkJson({{"op", "power"}, {"session", session}, {"moid", moid}, {"action", action}});
  }
};
SIM_BOTH_SCHEMES(PowerEventTest);

// Each action answers once settled and records its transition state, then the settled one.
TEST_P(PowerEventTest, EveryActionPassesThroughItsTransitionAndAnswersWhenSettled) {
  std::string session = Login();
  struct Step {
    const char* moid;
    const char* action;
    uint32_t transition, settled;
  } steps[] = {{"vm-2", "on", 0x4, 0x8},    {"vm-1", "suspend", 0x10, 0x20}, {"vm-1", "on", 0x4, 0x8},
               {"vm-1", "reset", 0x80, 0x8}, {"vm-1", "off", 0x1, 0x2},      {"vm-3", "off", 0x1, 0x2}};
  uint64_t since = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.moid) + " " + step.action);
    auto answer = Power(session, step.moid, step.action);
    ASSERT_EQ(answer["ok"], true) << answer.dump();
    EXPECT_EQ(answer["powerState"], step.settled);
    auto changes = CollectChanges(session, since, 2);
    ASSERT_EQ(changes.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(changes[i]["seq"], since + i + 1);
      EXPECT_EQ(changes[i]["kind"], "power");
      EXPECT_EQ(changes[i]["moid"], step.moid);
      EXPECT_EQ(changes[i]["powerState"], i == 0 ? step.transition : step.settled);
    }
    since += 2;
  }
  EXPECT_EQ(CollectChanges(session, 0, 1)[0]["path"], "[datastore1] db-replica-eu-2/db-replica-eu-2.vmx");
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-2"}})["powerState"], 0x8);
}

// During a transition (made seconds long, so a busy machine cannot let it settle first)
// any action is refused, and a change behind the operation's back or a removal ends it
// with an error.
TEST_P(PowerEventTest, ATransitionRefusesActionsAndEndsInErrorWhenTheVmChangesOrGoes) {
  sim::Options options = TestOptions(GetParam());
  options.powerDelayMs = 1500;
  ASSERT_NO_FATAL_FAILURE(StartWith(options));
  std::string session = Login();
  auto running = std::async(std::launch::async, [&] { return Power(session, "vm-2", "on"); });
  ASSERT_EQ(CollectChanges(session, 0, 1).size(), 1u);  // powering on now
  EXPECT_EQ(Power(session, "vm-2", "off")["error"], 3006);
  EXPECT_EQ(Power(session, "vm-2", "on")["error"], 3006);
  Admin("setPower", {{"moid", "vm-2"}, {"powerState", 0x2}});
  EXPECT_EQ(running.get()["error"], 3006);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-2"}})["powerState"], 0x2);

  auto removed = std::async(std::launch::async, [&] { return Power(session, "vm-4", "off"); });
  // Changes 1 and 2 were the powering on and the setPower; the next is the powering off.
  ASSERT_EQ(CollectChanges(session, 2, 1).size(), 1u);
  Admin("removeVm", {{"moid", "vm-4"}});
  EXPECT_EQ(removed.get()["error"], 4000);
}

}  // namespace
}  // namespace simtest
