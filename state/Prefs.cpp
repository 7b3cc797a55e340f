#include "state/Prefs.h"

#include <windows.h>
#include <shlobj.h>

#include "state/AtomicFile.h"
#include "state/PrefsReader.h"
#include "state/PrefsWriter.h"
#include "log/Log.h"
#include "services/Clock.h"

namespace {
Prefs* gInstance = nullptr;
}  // namespace

Prefs& Prefs::CreateInstance(const std::wstring& dataFolder) {
  if (!gInstance) gInstance = new Prefs(dataFolder);
  return *gInstance;
}

bool Prefs::HasInstance() { return gInstance != nullptr; }

Prefs& Prefs::Instance() {
  if (gInstance) return *gInstance;
  Log("%s: The preferences are used while none are loaded; defaults answer.\n", "Prefs::Instance");
  static Prefs* defaults = new Prefs(Fileless{});  // never freed: reachable until the process ends
  return *defaults;
}

void Prefs::DestroyInstance() {
  delete gInstance;
  gInstance = nullptr;
}

Prefs::Prefs(const std::wstring& dataFolder) : mPath(L"prefs.txt") {
  if (!dataFolder.empty()) {
    SHCreateDirectoryExW(nullptr, dataFolder.c_str(), nullptr);  // an existing folder is fine
    mPath = dataFolder + L"\\prefs.txt";
  }
  Load();
}

Prefs::Prefs(Fileless) : mFileless(true) {}

Prefs::~Prefs() { Save(); }

void Prefs::Load() {
  static_cast<PrefsSettings&>(*this) = PrefsSettings();
  if (mFileless) return;
  PrefsReader reader(*this);
  reader.ReadFile(mPath);
}

bool Prefs::Save() {
  if (mFileless) return false;
  std::vector<LiveServer> servers;
  if (mServerSource) {
    servers = mServerSource->GetServersForPrefs();
  } else if (mHasDetachedServers) {
    servers = mDetachedServers;
  } else {
    servers = LiveServersFromRecords(mServers);
  }
  const auto clock = [this]() -> int64_t {
    return mClock ? static_cast<int64_t>(mClock()) : utils::CurrentUnixTime();
  };
  return ReplaceFileAtomically(mPath, FormatPrefsFile(*this, servers, clock), "Prefs::Save");
}

void Prefs::SetServerSource(PrefsServerSource* source) {
  if (mServerSource && mServerSource != source) {
    mDetachedServers = mServerSource->GetServersForPrefs();
    mHasDetachedServers = true;
  }
  mServerSource = source;
}

void Prefs::ForgetServerSource(const PrefsServerSource* source) {
  if (source && mServerSource == source) SetServerSource(nullptr);
}
