#include "bench/BenchSupport.h"

#include <psapi.h>

#include <cstdio>

#include "tests/support/QorBesideProgram.h"

bool LoadQorLibrary() {
  std::string problem = LoadQorBesideProgram();
  if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
  return problem.empty();
}

bool StartSimulator(SimulatorProcess& sim, int vms) {
  if (sim.Start({"--vms", std::to_string(vms)})) return true;
  std::fprintf(stderr, "%s\n", sim.LastError().c_str());
  return false;
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  if (counters.PrivateUsage != 0) return counters.PrivateUsage;
  // Wine leaves PrivateUsage at 0: add up the committed private regions instead.
  size_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (char* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
       address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
  }
  return total;
}

QorHandle ConnectToSimulator(const SimulatorProcess& sim) {
  QorHandle job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, sim.ServiceUrl().c_str(), sim.Port(),
                                        "root", "wickerlyn", 0, 0, nullptr, nullptr);
  QorHandle host = 0;
  QorError error = Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, &host, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  if (error != QOR_OK) {
    std::fprintf(stderr, "login failed: %llu (%s)\n", static_cast<unsigned long long>(error),
                 Qor().Qor_GetErrorText(error, nullptr));
  }
  return host;
}

size_t HeapBytesInUse() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 8);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  size_t total = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    }
    HeapUnlock(heap);
  }
  return total;
}
