// Silent mode holds /sdk requests without answering; shutdown still works.

#include <chrono>
#include <future>
#include <thread>

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using Clock = std::chrono::steady_clock;

class SilentModeTest : public SimFixture {};
SIM_BOTH_SCHEMES(SilentModeTest);

TEST_P(SilentModeTest, StopEndsHeldRequestsAndWaitingLongPolls) {
  std::string session = Login();
  auto longPoll = std::async(std::launch::async, [&] {
    return Sdk({{"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 30000}});
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Admin("silent", {{"on", true}});
  auto held = std::async(std::launch::async, [&] { return Sdk({{"op", "listVms"}, {"session", session}}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  mSim->Stop();
  // Both got an answer (36, the server is going away) rather than a hang.
  for (auto* f : {&longPoll, &held}) {
    ASSERT_EQ(f->wait_for(std::chrono::seconds(10)), std::future_status::ready);
    auto answer = f->get();
    ASSERT_TRUE(answer.answered);
    EXPECT_EQ(answer.Json()["error"], 36);
  }
}

}  // namespace
}  // namespace simtest
