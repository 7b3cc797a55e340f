// Figures for the back-end model: the merge of a server's list after a search, and the
// cross-server walks behind Favorites and Recently Used. No server is involved.
//   model_bench [vms-per-list] [servers] [vms-per-server]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backend/QorVM.h"
#include "backend/RecentUse.h"
#include "backend/VMListMerge.h"
#include "backend/VMOrder.h"
#include "state/State.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int32_t SevenDays() { return 7; }

std::string NameFor(int i) {
  // Mixed case, digits and some non-ASCII names, as real inventories have.
  static const char* const kStems[] = {"web", "DB", "app", "Büro", "cache", "Zürich", "mail", "k8s-node"};
  return std::string(kStems[i % 8]) + "-" + std::to_string(i);
}

std::string PathFor(const std::string& name, const char* datastore = "datastore1") {
  return std::string("[") + datastore + "] " + name + "/" + name + ".vmx";
}

void BenchMerge(int count) {
  // The old list: what the server held (every tenth a favorite, 50 of them open-like).
  VMList old;
  for (int i = 0; i < count; ++i) {
    auto vm = QorVM::Create(NameFor(i), "", PathFor(NameFor(i)), nullptr);
    if (i % 10 == 0) vm->SetFavorite(true);
    old.push_back(vm);
  }
  utils::SortVMs(old);

  // The fresh list: the same VMs, except 20 moved to another datastore, 20 gone and 20 new.
  const Clock::time_point created = Clock::now();
  VMList fresh;
  for (int i = 0; i < count; ++i) {
    if (i % 500 == 7) continue;                                         // gone
    const char* datastore = (i % 500 == 3) ? "datastore2" : "datastore1";  // moved
    fresh.push_back(QorVM::Create(NameFor(i), "", PathFor(NameFor(i), datastore), nullptr));
  }
  for (int i = 0; i < count / 500; ++i) fresh.push_back(QorVM::Create(NameFor(count + i), "", PathFor(NameFor(count + i)), nullptr));
  const double createMs = MsSince(created);
  std::reverse(fresh.begin(), fresh.end());  // as found, not in order

  const size_t oldSize = old.size(), freshSize = fresh.size();
  const Clock::time_point start = Clock::now();
  utils::SortVMs(fresh);
  const double sortMs = MsSince(start);
  const Clock::time_point mergeStart = Clock::now();
  VMList dropped;
  VMList merged = utils::MergeVMLists(old, fresh, dropped);
  const double mergeMs = MsSince(mergeStart);
  const Clock::time_point releaseStart = Clock::now();
  dropped.clear();
  const double releaseMs = MsSince(releaseStart);

  size_t favorites = 0;
  for (const VMPtr& vm : merged) favorites += vm->IsFavorite() ? 1 : 0;
  std::printf("merge: %zu old, %zu fresh -> %zu VMs (%zu favorites)\n", oldSize, freshSize, merged.size(), favorites);
  std::printf("  creating the fresh VMs (sort keys included): %8.2f ms\n", createMs);
  std::printf("  sorting the fresh list:                      %8.2f ms\n", sortMs);
  std::printf("  merging:                                     %8.2f ms\n", mergeMs);
  std::printf("  releasing the dropped VMs:                   %8.2f ms\n", releaseMs);
  std::printf("  sort + merge (what a search completion adds): %7.2f ms  (goal < 50 ms)\n", sortMs + mergeMs);
}

void BenchWalks(int servers, int perServer) {
  State state(&SevenDays);
  const int64_t now = utils::CurrentUnixTime();
  const Clock::time_point filled = Clock::now();
  for (int s = 0; s < servers; ++s) {
    OlvarkServerPtr server = state.AddSavedServer(1, "host" + std::to_string(s), 0, true, "", "");
    for (int i = 0; i < perServer; ++i) {
      const std::string name = NameFor(i);
      if (i % 10 == 0) {
        server->AddFavorite(name, "", PathFor(name));
      } else {
        // Every fifth used within the window, the rest long ago or never.
        server->AddRecent(name, "", PathFor(name), i % 5 == 1 ? now - i : (i % 5 == 2 ? now - 30 * 86400 : 0));
      }
    }
  }
  std::printf("walks: %d servers of %d VMs (filled in %.0f ms)\n", servers, perServer, MsSince(filled));
  const int rounds = 20;
  size_t favorites = 0, recent = 0;
  Clock::time_point start = Clock::now();
  for (int r = 0; r < rounds; ++r) favorites = state.GetFavoriteVMs().size();
  const double favoriteMs = MsSince(start) / rounds;
  start = Clock::now();
  for (int r = 0; r < rounds; ++r) recent = state.GetRecentVMs().size();
  const double recentMs = MsSince(start) / rounds;
  start = Clock::now();
  for (int r = 0; r < rounds; ++r) state.GetServersForPrefs();
  const double prefsMs = MsSince(start) / rounds;
  std::printf("  State::GetFavoriteVMs: %8.2f ms (%zu VMs)\n", favoriteMs, favorites);
  std::printf("  State::GetRecentVMs:   %8.2f ms (%zu VMs)\n", recentMs, recent);
  std::printf("  State::GetServersForPrefs: %4.2f ms\n", prefsMs);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int servers = argc > 2 ? std::atoi(argv[2]) : 10;
  const int perServer = argc > 3 ? std::atoi(argv[3]) : 2000;
  BenchMerge(count);
  BenchWalks(servers, perServer);
  return 0;
}
