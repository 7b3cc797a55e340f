// 100 subscribed VMs, each changed behind the library's back: the delay from the
// change (the admin call that makes it) to the handler call, one change at a time and
// all at once.
#include <atomic>
#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

const int kVms = 100;

struct Watched {
  QorHandle vm = 0;
  std::string moid;
  std::atomic<double> changedAt{0};   // when the change was asked for
  std::atomic<double> notifiedAt{0};  // first handler call after that
};

void OnVmEvent(QorHandle, int, QorHandle, void* context) {
  Watched* w = static_cast<Watched*>(context);
  double now = NowMs();
  double expected = 0;
  if (w->changedAt > 0) w->notifiedAt.compare_exchange_strong(expected, now);
}

// Changes the VM to another settled state than the one it has.
bool ChangePower(SimulatorProcess& sim, const Watched& w) {
  int32_t state = 0;
  Qor().Qor_GetProperties(w.vm, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE);
  int next = state == QOR_POWERSTATE_SUSPENDED ? QOR_POWERSTATE_POWERED_OFF : QOR_POWERSTATE_SUSPENDED;
  return sim.Admin("setPower", "{\"moid\":\"" + w.moid + "\",\"powerState\":" + std::to_string(next) + "}");
}

void Report(const char* label, const std::vector<double>& delays, int missing) {
  std::printf("%s: %zu changes, median %.1f ms, p99 %.1f ms, max %.1f ms, missing %d\n", label, delays.size(),
              Percentile(delays, 0.5), Percentile(delays, 0.99), Percentile(delays, 1.0), missing);
}

}  // namespace

int main() {
  if (!LoadQorLibrary()) return 1;
  SimulatorProcess sim;
  if (!StartSimulator(sim, kVms)) return 1;
  QorHandle host = ConnectToSimulator(sim);
  if (!host) return 1;

  // The VMs' paths in inventory order, then open and subscribe each.
  struct Paths {
    std::vector<std::string> list;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  } paths;
  Qor().QorHost_FindItems(
      host, QOR_FIND_RUNNING_VMS, 0, -1,
      [](QorHandle job, int type, QorHandle item, void* context) {
        Paths* p = static_cast<Paths*>(context);
        if (type == QOR_EVENT_FIND_ITEM) {
          char* path = nullptr;
          if (Qor().Qor_GetProperties(item, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE) == QOR_OK) {
            p->list.push_back(path);
            Qor().Qor_FreeBuffer(path);
          }
          return;
        }
        Qor().Qor_ReleaseHandle(job);
        SetEvent(p->done);
      },
      &paths);
  WaitForSingleObject(paths.done, 60000);
  std::vector<Watched> watched(paths.list.size());
  for (size_t i = 0; i < paths.list.size(); ++i) {
    QorHandle job = Qor().QorHost_OpenVM(host, paths.list[i].c_str(), 0, 0, nullptr, nullptr);
    QorError error = Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, &watched[i].vm, QOR_PROPERTY_NONE);
    Qor().Qor_ReleaseHandle(job);
    char* moid = nullptr;
    if (error != QOR_OK ||
        Qor().Qor_GetProperties(watched[i].vm, QOR_PROPERTY_VM_MOID, &moid, QOR_PROPERTY_NONE) != QOR_OK) {
      std::fprintf(stderr, "opening %s failed\n", paths.list[i].c_str());
      return 1;
    }
    watched[i].moid = moid;
    Qor().Qor_FreeBuffer(moid);
    Qor().Qor_SubscribeToEvents(watched[i].vm, QOR_EVENT_VM_STATE_CHANGED, OnVmEvent, &watched[i]);
  }
  Sleep(500);  // the event stream is up and has caught up
  std::printf("qor event latency benchmark: %zu subscribed VMs\n", watched.size());

  std::vector<double> delays;
  std::vector<double> adminCalls;
  int missing = 0;
  for (Watched& w : watched) {
    w.notifiedAt = 0;
    w.changedAt = NowMs();
    ChangePower(sim, w);
    adminCalls.push_back(NowMs() - w.changedAt);
    double deadline = NowMs() + 5000;
    while (w.notifiedAt == 0 && NowMs() < deadline) Sleep(0);
    if (w.notifiedAt > 0) {
      delays.push_back(w.notifiedAt - w.changedAt);
    } else {
      ++missing;
    }
  }
  Report("one at a time", delays, missing);
  Report("  (the admin call that makes the change, included above)", adminCalls, 0);

  delays.clear();
  missing = 0;
  for (Watched& w : watched) w.changedAt = 0, w.notifiedAt = 0;
  for (Watched& w : watched) {
    w.changedAt = NowMs();
    ChangePower(sim, w);
  }
  double deadline = NowMs() + 10000;
  for (Watched& w : watched) {
    while (w.notifiedAt == 0 && NowMs() < deadline) Sleep(1);
    if (w.notifiedAt > 0) {
      delays.push_back(w.notifiedAt - w.changedAt);
    } else {
      ++missing;
    }
  }
  Report("all 100 at once", delays, missing);

  for (Watched& w : watched) {
    Qor().Qor_CancelEventSubscription(w.vm, QOR_EVENT_VM_STATE_CHANGED, OnVmEvent, &w);
    Qor().Qor_ReleaseHandle(w.vm);
  }
  Qor().QorHost_Disconnect(host);
  Qor().Qor_ReleaseHandle(host);
  return 0;
}
