#include "state/Prefs.h"

#include <windows.h>
#include <shlobj.h>

#include "app/DataFolder.h"
#include "state/AtomicFile.h"
#include "state/PrefsReader.h"
#include "state/PrefsWriter.h"
#include "backend/RecentUse.h"

namespace {
Prefs* gInstance = nullptr;
}  // namespace

Prefs& Prefs::Instance() {
  if (!gInstance) gInstance = new Prefs(utils::GetDataFolder());
  return *gInstance;
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

Prefs::~Prefs() { Save(); }

void Prefs::Load() {
  static_cast<PrefsSettings&>(*this) = PrefsSettings();
  PrefsReader reader(*this);
  reader.ReadFile(mPath);
}

bool Prefs::Save() {
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
