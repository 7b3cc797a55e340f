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
  // Tests that act during a transition give it seconds, so a busy machine cannot let it
  // settle before the test's next request arrives.
  void UseLongTransitions() {
    sim::Options options = TestOptions(GetParam());
    options.powerDelayMs = 1500;
    StartWith(options);
  }

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

TEST_P(PowerEventTest, PowerOnPassesThroughPoweringOnAndAnswersWhenSettled) {
  std::string session = Login();
  auto watcher = std::async(std::launch::async, [&] { return CollectChanges(session, 0, 2); });

  auto started = Clock::now();
  auto answer = Power(session, "vm-2", "on");
  auto took = Clock::now() - started;
  EXPECT_EQ(answer["ok"], true) << answer.dump();
  EXPECT_EQ(answer["powerState"], 0x8);
  EXPECT_GE(took, std::chrono::milliseconds(150));  // the transition state lasted the power delay

  auto changes = watcher.get();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0]["seq"], 1);
  EXPECT_EQ(changes[0]["moid"], "vm-2");
  EXPECT_EQ(changes[0]["kind"], "power");
  EXPECT_EQ(changes[0]["path"], "[datastore1] db-replica-eu-2/db-replica-eu-2.vmx");
  EXPECT_EQ(changes[0]["powerState"], 0x4);
  EXPECT_EQ(changes[1]["seq"], 2);
  EXPECT_EQ(changes[1]["powerState"], 0x8);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-2"}})["powerState"], 0x8);
}

TEST_P(PowerEventTest, AWaitingLongPollLearnsOfAChangeWithin200Ms) {
  std::string session = Login();
  auto poll = std::async(std::launch::async, [&] {
    auto body = SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 10000}});
    return std::make_pair(body, Clock::now());
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the poll start waiting
  ASSERT_EQ(Admin("setPower", {{"moid", "vm-1"}, {"powerState", 0x2}})["ok"], true);
  auto changed = Clock::now();

  auto [body, arrived] = poll.get();
  EXPECT_LT(arrived - changed, std::chrono::milliseconds(200));
  EXPECT_EQ(body["seq"], 1);
  ASSERT_EQ(body["changes"].size(), 1u);
  EXPECT_EQ(body["changes"][0]["moid"], "vm-1");
  EXPECT_EQ(body["changes"][0]["powerState"], 0x2);
}

TEST_P(PowerEventTest, EveryActionFollowsItsTransitions) {
  std::string session = Login();
  struct Step {
    const char* moid;
    const char* action;
    uint32_t transition, settled;
  } steps[] = {{"vm-1", "suspend", 0x10, 0x20}, {"vm-1", "on", 0x4, 0x8}, {"vm-1", "reset", 0x80, 0x8},
               {"vm-1", "off", 0x1, 0x2},       {"vm-3", "off", 0x1, 0x2}};
  uint64_t since = 0;
  for (const auto& step : steps) {
    auto answer = Power(session, step.moid, step.action);
    ASSERT_EQ(answer["ok"], true) << step.action << " " << answer.dump();
    EXPECT_EQ(answer["powerState"], step.settled) << step.action;
    auto changes = CollectChanges(session, since, 2);
    ASSERT_EQ(changes.size(), 2u) << step.action;
    EXPECT_EQ(changes[0]["powerState"], step.transition) << step.action;
    EXPECT_EQ(changes[1]["powerState"], step.settled) << step.action;
    since += 2;
  }
}

TEST_P(PowerEventTest, AnActionThatMakesNoSenseInTheCurrentStateGives3006) {
  std::string session = Login();
  const std::pair<const char*, const char*> refused[] = {
      {"vm-1", "on"}, {"vm-2", "off"}, {"vm-2", "suspend"}, {"vm-2", "reset"}, {"vm-3", "suspend"}, {"vm-3", "reset"}};
  for (const auto& [moid, action] : refused) {
    auto answer = Power(session, moid, action);
    EXPECT_EQ(answer["ok"], false) << moid << " " << action;
    EXPECT_EQ(answer["error"], 3006) << moid << " " << action;
    EXPECT_EQ(answer["text"], "The operation is not allowed in the current state");
  }
  // A refused action changes nothing.
  EXPECT_EQ(SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 0}})["seq"], 0);
}

TEST_P(PowerEventTest, AnyActionDuringATransitionGives3006) {
  ASSERT_NO_FATAL_FAILURE(UseLongTransitions());
  std::string session = Login();
  auto running = std::async(std::launch::async, [&] { return Power(session, "vm-2", "on"); });
  ASSERT_EQ(CollectChanges(session, 0, 1).size(), 1u);  // powering on now
  EXPECT_EQ(Power(session, "vm-2", "off")["error"], 3006);
  EXPECT_EQ(Power(session, "vm-2", "on")["error"], 3006);
  EXPECT_EQ(running.get()["powerState"], 0x8);
}

TEST_P(PowerEventTest, UnknownActionIsABadRequestAndUnknownVmGives4000) {
  std::string session = Login();
  auto bad = Sdk({{"op", "power"}, {"session", session}, {"moid", "vm-1"}, {"action", "explode"}});
  EXPECT_EQ(bad.status, 400);
  EXPECT_EQ(bad.Json()["error"], 3);
  EXPECT_EQ(Power(session, "vm-77", "on")["error"], 4000);
}

TEST_P(PowerEventTest, AChangeBehindTheOperationsBackOrARemovalEndsItWithAnError) {
  ASSERT_NO_FATAL_FAILURE(UseLongTransitions());
  std::string session = Login();
  auto interrupted = std::async(std::launch::async, [&] { return Power(session, "vm-2", "on"); });
  ASSERT_EQ(CollectChanges(session, 0, 1).size(), 1u);
  Admin("setPower", {{"moid", "vm-2"}, {"powerState", 0x2}});
  EXPECT_EQ(interrupted.get()["error"], 3006);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", session}, {"moid", "vm-2"}})["powerState"], 0x2);

  auto removed = std::async(std::launch::async, [&] { return Power(session, "vm-4", "off"); });
  // Changes 1 and 2 were the powering on and the setPower; the next is the powering off,
  // whether or not it happened before this poll.
  ASSERT_EQ(CollectChanges(session, 2, 1).size(), 1u);
  Admin("removeVm", {{"moid", "vm-4"}});
  EXPECT_EQ(removed.get()["error"], 4000);
}

TEST_P(PowerEventTest, ALongPollWithoutChangesEndsEmptyAfterWaitMs) {
  std::string session = Login();
  auto started = Clock::now();
  auto body = SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 300}});
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(300));
  EXPECT_EQ(body["ok"], true);
  EXPECT_EQ(body["seq"], 0);
  EXPECT_TRUE(body["changes"].empty());
  EXPECT_FALSE(body.contains("resync"));
}

TEST_P(PowerEventTest, ASinceBeyondTheNewestAsksTheClientToResyncAtOnce) {
  std::string session = Login();
  Admin("setPower", {{"moid", "vm-1"}, {"powerState", 0x2}});
  auto started = Clock::now();
  auto body = SdkJson({{"op", "events"}, {"session", session}, {"since", 500}, {"waitMs", 20000}});
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(body["resync"], true);
  EXPECT_EQ(body["seq"], 1);
}

TEST_P(PowerEventTest, DroppingSessionsWakesAWaitingLongPollWith36) {
  std::string session = Login();
  auto poll = std::async(std::launch::async, [&] {
    return SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 20000}});
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto dropped = Clock::now();
  Admin("dropSessions");
  auto body = poll.get();
  EXPECT_LT(Clock::now() - dropped, std::chrono::seconds(5));
  EXPECT_EQ(body["ok"], false);
  EXPECT_EQ(body["error"], 36);
}

TEST_P(PowerEventTest, EventArgumentsOutOfRangeAreBadRequests) {
  std::string session = Login();
  const json bad[] = {{{"since", -1}, {"waitMs", 0}},   {{"since", 0}, {"waitMs", 30001}},
                      {{"since", 0}, {"waitMs", -5}},   {{"since", "0"}, {"waitMs", 0}},
                      {{"since", 0.5}, {"waitMs", 0}},  {{"waitMs", 0}}};
  for (json args : bad) {
    args["op"] = "events";
    args["session"] = session;
    auto answer = Sdk(args);
    EXPECT_EQ(answer.status, 400) << args.dump();
    EXPECT_EQ(answer.Json()["error"], 3) << args.dump();
  }
  // The upper bound itself is allowed (answered at once because a change is waiting).
  Admin("setPower", {{"moid", "vm-1"}, {"powerState", 0x2}});
  EXPECT_EQ(SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 30000}})["seq"], 1);
}

}  // namespace
}  // namespace simtest
