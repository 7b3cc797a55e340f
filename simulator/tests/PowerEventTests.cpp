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

TEST_P(PowerEventTest, RefusedActionsGiveTheirErrorAndChangeNothing) {
  std::string session = Login();
  const struct {
    const char* moid;
    const char* action;
    int error;
  } refused[] = {{"vm-1", "on", 3006},      {"vm-2", "off", 3006},  {"vm-2", "suspend", 3006},
                 {"vm-2", "reset", 3006},   {"vm-3", "suspend", 3006}, {"vm-3", "reset", 3006},
                 {"vm-77", "on", 4000},     {"vm-1", "explode", 3}};
  for (const auto& r : refused) {
    auto answer = Sdk({{"op", "power"}, {"session", session}, {"moid", r.moid}, {"action", r.action}});
    EXPECT_EQ(answer.status, r.error == 3 ? 400 : 200) << r.moid << " " << r.action;
    EXPECT_EQ(answer.Json()["ok"], false) << r.moid << " " << r.action;
    EXPECT_EQ(answer.Json()["error"], r.error) << r.moid << " " << r.action;
    if (r.error == 3006) EXPECT_EQ(answer.Json()["text"], "The operation is not allowed in the current state");
  }
  EXPECT_EQ(SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 0}})["seq"], 0);
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

// A waiting long poll is woken by a change, or by its session being dropped (36); one
// without changes ends empty after waitMs; one from beyond the newest change asks for a
// resync at once.
TEST_P(PowerEventTest, LongPollsWakeOnAChangeOrADropAndAskForAResyncWhenAhead) {
  std::string session = Login();
  auto quiet = SdkJson({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 300}});
  EXPECT_EQ(quiet["ok"], true);
  EXPECT_EQ(quiet["seq"], 0);
  EXPECT_TRUE(quiet["changes"].empty());
  EXPECT_FALSE(quiet.contains("resync"));

  auto poll = [&](uint64_t since) {
    return std::async(std::launch::async, [this, session, since] {
      return SdkJson({{"op", "events"}, {"session", session}, {"since", since}, {"waitMs", 30000}});
    });
  };
  auto woken = poll(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the poll start waiting
  ASSERT_EQ(Admin("setPower", {{"moid", "vm-1"}, {"powerState", 0x2}})["ok"], true);
  ASSERT_EQ(woken.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the change did not wake the poll";
  auto body = woken.get();
  EXPECT_EQ(body["seq"], 1);
  ASSERT_EQ(body["changes"].size(), 1u);
  EXPECT_EQ(body["changes"][0]["moid"], "vm-1");
  EXPECT_EQ(body["changes"][0]["powerState"], 0x2);

  auto ahead = poll(500);
  ASSERT_EQ(ahead.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  body = ahead.get();
  EXPECT_EQ(body["resync"], true);
  EXPECT_EQ(body["seq"], 1);

  auto dropped = poll(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Admin("dropSessions");
  ASSERT_EQ(dropped.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the drop did not wake the poll";
  EXPECT_EQ(dropped.get()["error"], 36);
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
