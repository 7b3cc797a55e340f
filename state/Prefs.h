// The program's settings and saved servers, kept in prefs.txt in the per-user data folder.
// Read and changed on the user-interface thread only.
#pragma once

#include <string>

#include "state/PrefsServerSource.h"
#include "state/PrefsSettings.h"

class Prefs : public PrefsSettings {
 public:
  // The process-wide object; the first call creates it in utils::GetDataFolder() and loads
  // the file.
  static Prefs& Instance();
  // Saves and destroys the process-wide object (tear-down); a later Instance() makes a new one.
  static void DestroyInstance();

  // Uses dataFolder\prefs.txt (created with its missing parents), or "prefs.txt" in the
  // current directory when dataFolder is empty; then loads the file.
  explicit Prefs(const std::wstring& dataFolder);
  // Saves.
  ~Prefs();
  Prefs(const Prefs&) = delete;
  Prefs& operator=(const Prefs&) = delete;

  // Resets the fields to their defaults and reads the file into them; a missing or
  // unreadable file leaves the defaults.
  void Load();
  // Writes the file atomically; false (logged) when it could not be written, in which case
  // the previous file is unchanged.
  bool Save();

  // The live servers that Save writes. Until a source is attached, Save writes the loaded
  // server records back. Detaching (nullptr) or replacing a source first takes its servers
  // as the records to write, so a later Save never resurrects removed servers or drops
  // live ones. The source must stay valid while attached.
  void SetServerSource(PrefsServerSource* source);

  // For tests: the clock that decides which VMs are still recent when saving (nullptr:
  // the program's clock, utils::CurrentUnixTime).
  void SetClockForTesting(uint64_t (*clock)()) { mClock = clock; }

  std::wstring mPath;

 private:
  PrefsServerSource* mServerSource = nullptr;
  bool mHasDetachedServers = false;
  std::vector<LiveServer> mDetachedServers;
  uint64_t (*mClock)() = nullptr;
};
