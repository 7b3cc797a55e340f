// The State and its views without a server: saved servers, favorites and recent VMs
// restored from records, ordering, recent use and what the preferences get.
#include <gtest/gtest.h>

#include "state/State.h"
#include "tests/support/ModelTestSupport.h"

namespace {

class StateTest : public ClockTest {
 protected:
  void SetUp() override {
    ClockTest::SetUp();
    state = std::make_unique<State>(&TestClock::Days);
  }
  void TearDown() override {
    state.reset();
    ClockTest::TearDown();
  }
  OlvarkServerPtr Saved(const std::string& host, const std::string& user = "root") {
    return state->AddSavedServer(1, host, 0, true, user, user.empty() ? "" : "c2VjcmV0");
  }
  static std::vector<std::string> Names(const VMList& vms) {
    std::vector<std::string> names;
    for (const VMPtr& vm : vms) names.push_back(vm->GetName());
    return names;
  }

  std::unique_ptr<State> state;
};

}  // namespace

// A saved server starts logged off with its credentials; without a host handle a refresh
// fails at once.
TEST_F(StateTest, SavedServersAreKeptOncePerHostInByteOrderAndStartLoggedOff) {
  OlvarkServerPtr with = Saved("alpha");
  OlvarkServerPtr without = Saved("Beta", "");
  ASSERT_TRUE(with && without);
  EXPECT_EQ(Saved("alpha"), nullptr);  // the same host again
  EXPECT_EQ(state->AddSavedServer(2, "gamma", 0, true, "", ""), nullptr);
  EXPECT_EQ(state->AddSavedServer(0, "gamma", 0, true, "", ""), nullptr);
  std::vector<std::string> hosts;
  for (const OlvarkServerPtr& server : state->GetServers()) hosts.push_back(server->GetHost());
  EXPECT_EQ(hosts, (std::vector<std::string>{"Beta", "alpha"}));

  int signals = 0;
  with->mChanged.connect([&] { ++signals; });
  EXPECT_EQ(with->GetState(), VMCollection::STATE_LOGGED_OFF);
  EXPECT_TRUE(with->GetSaveCredentials());
  EXPECT_TRUE(with->HasUserName());
  EXPECT_EQ(with->GetProtectedPassword(), "c2VjcmV0");
  EXPECT_FALSE(without->GetSaveCredentials());
  EXPECT_FALSE(without->HasUserName());
  EXPECT_EQ(with->GetHostHandle(), 0u);
  with->Refresh();
  EXPECT_EQ(with->GetState(), VMCollection::STATE_ENUM_FAILED);
  EXPECT_EQ(signals, 1);
}

TEST_F(StateTest, FavoritesSpanServersInVMOrder) {
  OlvarkServerPtr a = Saved("alpha");
  OlvarkServerPtr b = Saved("beta");
  a->AddFavorite("zulu", "vm-1", PathOf("zulu"));
  a->AddFavorite("Mike", "vm-2", PathOf("Mike"));
  b->AddFavorite("alpha", "vm-3", PathOf("alpha"));
  b->AddFavorite("mike", "vm-9", PathOf("mike"));  // the same VM reached through two servers
  b->AddRecent("notfav", "vm-4", PathOf("notfav"), TestClock::now);
  state->GetFavorites()->Refresh();
  VMList favorites = state->GetFavorites()->GetVMs();
  EXPECT_EQ(Names(favorites), (std::vector<std::string>{"alpha", "Mike", "mike", "zulu"}));

  // Unsetting the flag takes effect at the next refresh only.
  favorites[3]->SetFavorite(false);
  EXPECT_EQ(state->GetFavorites()->GetVMs().size(), 4u);
  int changed = 0;
  state->GetFavorites()->mChanged.connect([&] { ++changed; });
  state->GetFavorites()->Refresh();
  EXPECT_EQ(Names(state->GetFavorites()->GetVMs()), (std::vector<std::string>{"alpha", "Mike", "mike"}));
  EXPECT_EQ(changed, 1);
}

TEST_F(StateTest, RemovedServerLeavesTheSetAndIsFreedWhenUnusedAndItsVMsStayClosed) {
  OlvarkServerPtr a = Saved("alpha");
  a->AddFavorite("web01", "vm-1", PathOf("web01"));
  state->GetFavorites()->Refresh();
  VMPtr shown = state->GetFavorites()->GetVMs().at(0);
  std::weak_ptr<OlvarkServer> watch = a;
  state->RemoveServer(a.get());
  a.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(state->GetServers().empty());
  // The row's VM outlives its server as a valid object without an owner, which it does
  // not open.
  EXPECT_EQ(shown->GetName(), "web01");
  auto orphan = std::static_pointer_cast<QorVM>(shown);
  EXPECT_EQ(orphan->GetOwner(), nullptr);
  int signals = 0;
  orphan->mOpenStateChanged.connect([&] { ++signals; });
  orphan->Open();
  EXPECT_EQ(orphan->GetOpenState(), QorVM::STATE_CLOSED);
  orphan->Close();  // closed already: nothing
  EXPECT_EQ(signals, 0);
  // Views without servers are empty and enumerated.
  state->GetFavorites()->Refresh();
  state->GetRecent()->Refresh();
  EXPECT_TRUE(state->GetFavorites()->GetVMs().empty());
  EXPECT_TRUE(state->GetRecent()->GetVMs().empty());
  EXPECT_EQ(state->GetFavorites()->GetState(), VMCollection::STATE_ENUMERATED);
  EXPECT_EQ(state->GetRecent()->GetState(), VMCollection::STATE_ENUMERATED);
}
