#include "bench/BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>

bool LoadQorLibrary() {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  SetDllDirectoryW((folder + L"kilnworks").c_str());
  HMODULE module = LoadLibraryW((folder + L"kilnworks\\qor.dll").c_str());
  if (!module) {
    std::fprintf(stderr, "cannot load kilnworks\\qor.dll (error %lu)\n", GetLastError());
    return false;
  }
  if (!QorLibrary::Bind(module)) {
    std::fprintf(stderr, "qor.dll lacks %s\n", QorLibrary::MissingExport());
    return false;
  }
  return true;
}

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
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

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t index = static_cast<size_t>(fraction * (values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
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
