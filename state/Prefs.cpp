#include "state/Prefs.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "state/AtomicFile.h"
#include "state/PrefsReader.h"
#include "state/PrefsWriter.h"
#include "log/Log.h"
#include "services/Clock.h"
#include "services/TextConversion.h"
#include "backend/RecentUse.h"

namespace {
Prefs* gPrefsInstance = nullptr;
const char kSaveName[] = "Prefs::Save";
}  // namespace

Prefs& Prefs::CreateInstance(const std::wstring& dataFolder) {
  if (!gPrefsInstance) {
    gPrefsInstance = new Prefs(dataFolder);
    gPrefsInstance->PublishRecentDuration();
  }
  return *gPrefsInstance;
}

bool Prefs::HasInstance() { return gPrefsInstance != nullptr; }

Prefs& Prefs::Instance() {
  if (gPrefsInstance) return *gPrefsInstance;
  Log("%s: The preferences are used while none are loaded; defaults answer.\n", "Prefs::Instance");
  static Prefs* defaults = new Prefs(Fileless{});  // never freed: reachable until the process ends
  return *defaults;
}

void Prefs::DestroyInstance() {
  delete gPrefsInstance;
  gPrefsInstance = nullptr;
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
  mUnreadFile = reader.ReadFile(mPath) == PrefsReader::Result::NOT_READ_IN_FULL;
  PublishRecentDuration();
}

void Prefs::SetMruDurationDays(int32_t days) {
  mMruDurationDays = days;
  PublishRecentDuration();
}

void Prefs::PublishRecentDuration() const {
  if (this == gPrefsInstance) utils::SetRecentDurationDays(mMruDurationDays);
}

// Copies rather than moves: until the new file is in place, prefs.txt stays as it was.
bool Prefs::KeepUnreadFileAside() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[32];
  swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
           now.wSecond);
  const std::wstring base = mPath + L".unread-" + stamp;
  DWORD error = 0;
  for (int attempt = 1; attempt <= 9; ++attempt) {
    const std::wstring aside = attempt == 1 ? base : base + L"-" + std::to_wstring(attempt);
    if (CopyFileW(mPath.c_str(), aside.c_str(), TRUE)) {
      Log("%s: '%s' was not read in full at start; it is kept as '%s' before it is replaced.\n", kSaveName,
          utils::ToUtf8String(mPath).c_str(), utils::ToUtf8String(aside).c_str());
      return true;
    }
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return true;  // gone meanwhile: nothing left to lose
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  Log("%s: '%s' was not read in full at start and cannot be kept aside (error 0x%lx); it is left unchanged and "
      "nothing is saved.\n",
      kSaveName, utils::ToUtf8String(mPath).c_str(), error);
  return false;
}

bool Prefs::Save() {
  if (mFileless) return false;
  if (mUnreadFile) {
    if (!KeepUnreadFileAside()) return false;
    mUnreadFile = false;
  }
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
  return ReplaceFileAtomically(mPath, FormatPrefsFile(*this, servers, clock), kSaveName);
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
