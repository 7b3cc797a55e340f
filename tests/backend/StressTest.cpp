// Several threads refresh, log in and off, add and remove servers, open VMs and walk
// Favorites and Recently Used against the simulator for several seconds. Afterwards
// every server must list every VM, the favorites must have survived, and every removed
// server must be gone.
#include <random>
#include <set>
#include <thread>

#include "state/State.h"
#include "tests/support/ServerTestSupport.h"

namespace {

constexpr int kVMs = 150;
constexpr DWORD kRunMs = 6000;

class Stress : public ServerTest {
 protected:
  std::vector<std::string> SimulatorArgs() const override {
    return {"--vms", std::to_string(kVMs), "--power-delay-ms", "20"};
  }
};

}  // namespace

TEST_F(Stress, ConcurrentRefreshLoginRemovalAndWalks) {
  State state(&SevenDays);
  const unsigned port = static_cast<unsigned>(sim.Port());
  int error = 0;
  OlvarkServerPtr main = state.AddServer(1, kHost, port, sim.Secure(), kUser, kPassword, true, error);
  OlvarkServerPtr other = state.AddServer(1, "localhost", port, sim.Secure(), kUser, kPassword, true, error);
  ASSERT_TRUE(main && other) << error;
  ASSERT_TRUE(WaitForState(main, VMCollection::STATE_ENUMERATED));
  ASSERT_TRUE(WaitForState(other, VMCollection::STATE_ENUMERATED));

  std::set<std::string> favoritePaths;
  VMList first = main->GetVMs();
  ASSERT_EQ(first.size(), static_cast<size_t>(kVMs));
  for (size_t i = 0; i < first.size(); i += 10) {
    first[i]->SetFavorite(true);
    favoritePaths.insert(first[i]->GetCfxPath());
  }
  first.clear();
  SignalCounter changes;
  main->mChanged.connect(changes.Slot());

  std::atomic<bool> stop{false};
  std::atomic<long> walks{0}, refreshes{0}, logins{0}, removals{0}, opens{0};
  std::vector<std::weak_ptr<OlvarkServer>> removed;
  std::mutex removedLock;
  std::vector<std::thread> threads;

  threads.emplace_back([&] {  // refreshes whichever servers exist
    std::mt19937 random(1);
    while (!stop) {
      std::vector<OlvarkServerPtr> servers = state.GetServers();
      if (!servers.empty()) servers[random() % servers.size()]->Refresh();
      ++refreshes;
      Sleep(3);
    }
  });
  threads.emplace_back([&] {  // logs the second server off and in again with its saved credentials
    while (!stop) {
      other->Logoff(false, true);
      other->Login(nullptr, nullptr, false);
      ++logins;
      Sleep(40);
    }
  });
  for (int walker = 0; walker < 2; ++walker) {
    threads.emplace_back([&] {  // walks the views and reads every VM it gets
      while (!stop) {
        size_t seen = 0;
        for (const VMPtr& vm : state.GetFavoriteVMs()) seen += vm->GetName().size() + vm->GetCfxPath().size();
        for (const VMPtr& vm : state.GetRecentVMs()) seen += vm->IsFavorite() ? 1 : 0;
        state.GetFavorites()->Refresh();
        state.GetRecent()->Refresh();
        for (const VMPtr& vm : state.GetFavorites()->GetVMs()) seen += vm->GetNameKey().size();
        (void)seen;
        ++walks;
      }
    });
  }
  threads.emplace_back([&] {  // adds and removes a third server
    while (!stop) {
      int addError = 0;
      OlvarkServerPtr third = state.AddServer(1, "LOCALHOST", port, sim.Secure(), kUser, kPassword, false, addError);
      if (third) {
        Sleep(20);
        third->Refresh();
        {
          std::lock_guard<std::mutex> hold(removedLock);
          removed.push_back(third);
        }
        state.RemoveServer(third.get());
        ++removals;
      }
    }
  });
  threads.emplace_back([&] {  // opens, uses and closes VMs of the main server
    std::mt19937 random(2);
    while (!stop) {
      VMList vms = main->GetVMs();
      if (vms.empty()) continue;
      auto vm = std::static_pointer_cast<QorVM>(vms[random() % vms.size()]);
      vm->Open();
      vm->MarkUsed();
      int32_t power = 0;
      vm->GetPowerState(power);
      Sleep(5);
      if (random() % 2) vm->Close();
      ++opens;
    }
  });

  Sleep(kRunMs / 2);
  ASSERT_TRUE(sim.Admin("dropSessions")) << sim.LastError();  // every session is lost at once
  Sleep(200);
  main->Login(nullptr, nullptr, false);
  Sleep(kRunMs / 2);
  stop = true;
  for (std::thread& thread : threads) thread.join();

  std::printf("walks %ld, refreshes %ld, logins %ld, removals %ld, opens %ld, changes %d\n", walks.load(),
              refreshes.load(), logins.load(), removals.load(), opens.load(), changes.count.load());
  EXPECT_GT(walks, 10);
  EXPECT_GT(refreshes, 100);
  EXPECT_GT(logins, 5);
  EXPECT_GT(removals, 2);

  // Every server ends logged in with the complete list, the favorites intact.
  std::set<std::string> expected;
  for (const auto& vm : SimState().value("vms", nlohmann::json::array())) expected.insert(vm.value("path", ""));
  ASSERT_EQ(expected.size(), static_cast<size_t>(kVMs));
  ASSERT_EQ(state.GetServers().size(), 2u);
  for (const OlvarkServerPtr& server : state.GetServers()) {
    if (!server->GetHostHandle()) {
      if (server->GetState() == VMCollection::STATE_LOGGING_IN) polling::WaitUntil([&] { return server->GetState() != VMCollection::STATE_LOGGING_IN; });
      server->Login(nullptr, nullptr, false);
      ASSERT_TRUE(WaitForState(server, VMCollection::STATE_ENUMERATED)) << server->GetHost();
    }
    ASSERT_TRUE(RefreshAndWait(server)) << server->GetHost();
    std::set<std::string> listed;
    for (const VMPtr& vm : server->GetVMs()) listed.insert(vm->GetCfxPath());
    EXPECT_EQ(listed, expected) << server->GetHost();
  }
  std::set<std::string> favorites;
  for (const VMPtr& vm : state.GetFavoriteVMs()) favorites.insert(vm->GetCfxPath());
  EXPECT_EQ(favorites, favoritePaths);

  std::lock_guard<std::mutex> hold(removedLock);
  ASSERT_FALSE(removed.empty());
  for (const auto& gone : removed) EXPECT_TRUE(polling::WaitUntil([&] { return gone.expired(); }, 5000));
}
