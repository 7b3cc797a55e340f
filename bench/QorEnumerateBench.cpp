// Connect and enumerate 5,000 VMs over loopback TLS, end to end and per VM, and the
// library's memory for 5,000 found items held at once.
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "bench/BenchSupport.h"

namespace {

const int kVms = 5000;

struct Enumeration {
  bool holdItems = false;
  std::vector<QorHandle> held;
  size_t found = 0;
  size_t pathBytes = 0;
  QorError error = 0;
  std::mutex lock;
  std::condition_variable done;
  bool finished = false;
};

void OnFindEvent(QorHandle job, int type, QorHandle item, void* context) {
  Enumeration* e = static_cast<Enumeration*>(context);
  if (type == QOR_EVENT_FIND_ITEM) {
    char* path = nullptr;
    if (Qor().Qor_GetProperties(item, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE) == QOR_OK) {
      e->pathBytes += strlen(path);
      Qor().Qor_FreeBuffer(path);
    }
    if (e->holdItems) {
      Qor().Qor_AddRefHandle(item);
      e->held.push_back(item);
    }
    ++e->found;
    return;
  }
  Qor().Qor_GetProperties(job, QOR_PROPERTY_JOB_ERROR, &e->error, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  std::lock_guard<std::mutex> hold(e->lock);
  e->finished = true;
  e->done.notify_all();
}

bool Enumerate(QorHandle host, Enumeration* e) {
  Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, QOR_TIMEOUT_INFINITE, OnFindEvent, e);
  std::unique_lock<std::mutex> hold(e->lock);
  e->done.wait(hold, [e] { return e->finished; });
  if (e->error != QOR_OK || e->found != static_cast<size_t>(kVms)) {
    std::fprintf(stderr, "enumeration failed: error %llu, %zu VMs\n", static_cast<unsigned long long>(e->error),
                 e->found);
    return false;
  }
  return true;
}

}  // namespace

int main() {
  if (!LoadQorLibrary()) return 1;
  SimulatorProcess sim;
  if (!StartSimulator(sim, kVms)) return 1;
  std::printf("qor enumeration benchmark: %d VMs, https on loopback\n", kVms);
  for (int round = 1; round <= 3; ++round) {
    double start = NowMs();
    QorHandle host = ConnectToSimulator(sim);
    if (!host) return 1;
    double connected = NowMs();
    Enumeration e;
    if (!Enumerate(host, &e)) return 1;
    double end = NowMs();
    std::printf("round %d: connect %.1f ms, enumerate %.1f ms, end to end %.1f ms, %.1f us per VM\n", round,
                connected - start, end - connected, end - start, 1000.0 * (end - start) / kVms);
    Qor().QorHost_Disconnect(host);
    Qor().Qor_ReleaseHandle(host);
  }

  QorHandle host = ConnectToSimulator(sim);
  if (!host) return 1;
  Enumeration warm;
  Enumerate(host, &warm);  // heap and caches settle
  size_t before = PrivateBytes();
  Enumeration held;
  held.holdItems = true;
  if (!Enumerate(host, &held)) return 1;
  size_t holding = PrivateBytes();
  for (QorHandle item : held.held) Qor().Qor_ReleaseHandle(item);
  size_t afterRelease = PrivateBytes();
  std::printf("memory: private bytes %.1f MB before, %.1f MB with %d found items held (+%.1f KB, %.0f bytes per item, "
              "paths %.0f bytes each), %.1f MB after releasing them\n",
              before / 1048576.0, holding / 1048576.0, kVms, (static_cast<double>(holding) - before) / 1024.0,
              (static_cast<double>(holding) - before) / kVms, static_cast<double>(held.pathBytes) / kVms,
              afterRelease / 1048576.0);
  Qor().QorHost_Disconnect(host);
  Qor().Qor_ReleaseHandle(host);
  return 0;
}
