// Figures for the back-end model: the refresh of a server's list after a search (10,000
// and 40,000 VMs), and the cross-server walks behind Favorites and Recently Used. No
// server is involved.
//   model_bench [vms-per-list] [servers] [vms-per-server]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "backend/QorVM.h"
#include "backend/RecentUse.h"
#include "backend/VMListMerge.h"
#include "backend/VMName.h"
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

// One refresh of a server of count VMs: the library hands over paths, the program makes
// a VM of each (with its sort keys), sorts them and merges them into the old list.
void BenchRefresh(int count, double goalMs, const char* when) {
  // The old list: what the server held (every tenth a favorite).
  VMList old;
  for (int i = 0; i < count; ++i) {
    auto vm = QorVM::Create(NameFor(i), "", PathFor(NameFor(i)), nullptr);
    if (i % 10 == 0) vm->SetFavorite(true);
    old.push_back(vm);
  }
  utils::SortVMs(old);

  // What the search finds: the same VMs, except one in 500 moved to another datastore, one
  // in 500 gone and as many new, in no order.
  std::vector<std::string> found;
  for (int i = 0; i < count; ++i) {
    if (i % 500 == 7) continue;                                            // gone
    found.push_back(PathFor(NameFor(i), (i % 500 == 3) ? "datastore2" : "datastore1"));  // moved
  }
  for (int i = 0; i < count / 500; ++i) found.push_back(PathFor(NameFor(count + i)));
  std::reverse(found.begin(), found.end());

  // What the program does: only paths new to the list become VMs.
  const Clock::time_point start = Clock::now();
  const size_t oldSize = old.size(), foundSize = found.size();
  size_t made = 0;
  VMList dropped;
  VMList merged = utils::MergeFoundPaths(
      old, found,
      [&made](const std::string& path) -> VMPtr {
        ++made;
        return QorVM::Create(utils::GetVMNameFromPath(path), "", path, nullptr);
      },
      dropped);
  const double refreshMs = MsSince(start);
  const Clock::time_point releaseStart = Clock::now();
  dropped.clear();
  const double releaseMs = MsSince(releaseStart);

  // For comparison: a VM made for every path, sorted, then merged.
  VMList oldAgain = merged;
  const Clock::time_point created = Clock::now();
  VMList fresh;
  for (const std::string& path : found) fresh.push_back(QorVM::Create(utils::GetVMNameFromPath(path), "", path, nullptr));
  const double createMs = MsSince(created);
  const Clock::time_point sortStart = Clock::now();
  utils::SortVMs(fresh);
  const double sortMs = MsSince(sortStart);
  const Clock::time_point mergeStart = Clock::now();
  VMList droppedAgain;
  VMList mergedAgain = utils::MergeVMLists(oldAgain, fresh, droppedAgain);
  const double mergeMs = MsSince(mergeStart);

  size_t favorites = 0;
  for (const VMPtr& vm : merged) favorites += vm->IsFavorite() ? 1 : 0;
  std::printf("refresh, %s: %zu old, %zu found -> %zu VMs (%zu favorites, %zu made)\n", when, oldSize, foundSize,
              merged.size(), favorites, made);
  std::printf("  a VM made for every path, sorted, merged:    %8.2f + %.2f + %.2f ms\n", createMs, sortMs, mergeMs);
  std::printf("  releasing the dropped VMs:                   %8.2f ms\n", releaseMs);
  std::printf("  refresh of %d VMs (found paths merged):    %8.2f ms  (goal <= %.0f ms)\n", count, refreshMs, goalMs);
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
  // Each size twice: the first run commits the memory the process then keeps and reuses,
  // as a running program does from its second refresh on (this machine's page faults cost
  // about 10 us each, which the first run shows).
  for (const auto& [vms, goalMs] : {std::pair{count, 20.0}, std::pair{40000, 80.0}}) {
    BenchRefresh(vms, goalMs, "first in the process");
    BenchRefresh(vms, goalMs, "again");
  }
  BenchWalks(servers, perServer);
  return 0;
}
