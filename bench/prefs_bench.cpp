// Load and save times of a large prefs.txt: 10 servers with 500 favorite and 500 recently
// used VMs in all. Prints the figures; run under Wine by hand.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "state/Prefs.h"

namespace {

std::string Line(const std::string& key, const std::string& value) { return key + " = \"" + value + "\"\r\n"; }

std::string LargePrefsText() {
  const unsigned long long now = static_cast<unsigned long long>(std::time(nullptr));
  std::string text = Line("updateInterval", "14") + Line("lastUpdateCheck", std::to_string(now - 100));
  for (int s = 0; s < 10; ++s) {
    text += Line("server.url", "https://esx" + std::to_string(s) + ".lab.example:443");
    text += Line("server.type", "1");
    text += Line("server.username", "administrator");
    text += Line("server.password", std::string(312, 'Q'));  // a typical protected blob's length
    for (int v = 0; v < 50; ++v) {
      const std::string id = std::to_string(s * 100 + v);
      const std::string name = "build-agent-" + id;
      text += Line("favoritesItem.name", name);
      text += Line("favoritesItem.cfxPath", "[datastore1] " + name + "/" + name + ".cfx");
      text += Line("favoritesItem.id", id);
    }
    for (int v = 50; v < 100; ++v) {
      const std::string id = std::to_string(s * 100 + v);
      const std::string name = "test-runner-" + id;
      text += Line("mruItem.name", name);
      text += Line("mruItem.cfxPath", "[datastore2] " + name + "/" + name + ".cfx");
      text += Line("mruItem.id", id);
      text += Line("mruItem.lastUse", std::to_string(now - 60 * v));
    }
  }
  return text;
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double m : ms) sum += m;
  std::printf("%-6s runs %3zu  mean %7.3f ms  median %7.3f ms  min %7.3f ms  max %7.3f ms\n", what, ms.size(),
              sum / ms.size(), ms[ms.size() / 2], ms.front(), ms.back());
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring folder = std::wstring(temp) + L"zw-prefs-bench-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring path = folder + L"\\prefs.txt";
  CreateDirectoryW(folder.c_str(), nullptr);

  const std::string text = LargePrefsText();
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) {
    std::printf("cannot write %ls\n", path.c_str());
    return 1;
  }
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
  std::printf("prefs.txt: %zu bytes, 10 servers, 500 favorites, 500 recent VMs\n", text.size());

  const int kRuns = 50;
  std::vector<double> loads, saves;
  bool ok = true;
  for (int i = 0; i < kRuns; ++i) {
    double start = NowMs();
    Prefs* prefs = new Prefs(folder);
    loads.push_back(NowMs() - start);
    size_t favorites = 0, recent = 0;
    for (const ServerRecord& server : prefs->mServers) {
      favorites += server.favorites.size();
      recent += server.recent.size();
    }
    if (prefs->mServers.size() != 10 || favorites != 500 || recent != 500) {
      std::printf("run %d read %zu servers, %zu favorites, %zu recent VMs\n", i, prefs->mServers.size(), favorites,
                  recent);
      ok = false;
    }
    start = NowMs();
    if (!prefs->Save()) ok = false;
    saves.push_back(NowMs() - start);
    prefs->mPath = folder + L"\\discarded.txt";  // the destructor's own save is not measured
    delete prefs;
  }
  Report("load", loads);
  Report("save", saves);

  DeleteFileW(path.c_str());
  DeleteFileW((folder + L"\\discarded.txt").c_str());
  RemoveDirectoryW(folder.c_str());
  return ok ? 0 : 1;
}
