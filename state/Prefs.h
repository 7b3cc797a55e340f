// The program's settings and saved servers, kept in prefs.txt in the per-user data folder.
// Read and changed on the user-interface thread only.
#pragma once

#include <string>

#include "state/PrefsServerSource.h"
#include "state/PrefsSettings.h"

class Prefs : public PrefsSettings {
 public:
  // Makes the process-wide object in the data folder the shell hands down, and loads the
  // file (start-up). A second call returns the existing object.
  static Prefs& CreateInstance(const std::wstring& dataFolder);
  static bool HasInstance();
  // The process-wide object. Reached without one (before CreateInstance, after
  // DestroyInstance) it logs and answers with defaults that are never saved, rather than
  // reading prefs.txt again into an object that nobody saves.
  static Prefs& Instance();
  // Saves and destroys the process-wide object (tear-down).
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
  // the previous file is unchanged. A file that Load could not read in full is first kept
  // aside as prefs.txt.unread-<local time>; when that fails nothing is written.
  bool Save();

  // The Recently Used window. The process-wide object hands its value to the VMs and State
  // (utils::RecentDurationDays), so that the list, the VMs and the file agree at once.
  void SetMruDurationDays(int32_t days);

  // The live servers that Save writes. Until a source is attached, Save writes the loaded
  // server records back. Detaching (nullptr) or replacing a source first takes its servers
  // as the records to write, so a later Save never resurrects removed servers or drops
  // live ones. The source must stay valid while attached.
  void SetServerSource(PrefsServerSource* source);
  // Detaches the source (as above) if it is the attached one.
  void ForgetServerSource(const PrefsServerSource* source);

  // For tests: the clock that decides which VMs are still recent when saving (nullptr:
  // the program's clock, utils::CurrentUnixTime).
  void SetClockForTesting(uint64_t (*clock)()) { mClock = clock; }

  std::wstring mPath;

 private:
  struct Fileless {};
  explicit Prefs(Fileless);

  bool KeepUnreadFileAside();
  void PublishRecentDuration() const;

  bool mFileless = false;  // reads and writes no file
  bool mUnreadFile = false;  // the file on disk holds more than Load took from it
  PrefsServerSource* mServerSource = nullptr;
  bool mHasDetachedServers = false;
  std::vector<LiveServer> mDetachedServers;
  uint64_t (*mClock)() = nullptr;
};
