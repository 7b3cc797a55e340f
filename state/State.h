// The process-wide registry of what the popup shows: the servers the user added, ordered
// by host name, and the Favorites and Recently Used views that span them.
//
// Servers and VMs are shared objects: State hands out std::shared_ptr, so a server or
// VM that is removed or dropped stays valid for whoever still holds it (a row, a posted
// callback) and is freed when the last holder lets go. The lock guards the set of
// servers and the walks over it; each server guards its own VM list, so a walk never
// sees a list half replaced. The lock is never held while calling into the automation
// library or waiting for a job.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backend/Favorites.h"
#include "backend/MRU.h"
#include "backend/OlvarkServer.h"
#include "backend/RecentUse.h"
#include "state/PrefsRecords.h"
#include "state/PrefsServerSource.h"

class State : public PrefsServerSource {
 public:
  enum { SERVER_TYPE_HOST = 1 };
  // AddServer's error when the host is already held (library errors are 0 to 65535).
  static constexpr int ERROR_SERVER_ALREADY_ADDED = -1;

  // The process-wide State: created on first call, with the process's mruDurationDays
  // (utils::RecentDurationDays). The shell attaches it to Prefs as the source of the
  // servers it saves.
  static State& Instance();
  // Tear-down: destroys the process-wide State (after Prefs::DestroyInstance has saved,
  // and before the automation library is unloaded).
  static void DestroyInstance();

  // A State of its own (tests): mruDurationDays from durationSource (nullptr: the
  // process's value). Nothing global is changed.
  explicit State(utils::DurationSource durationSource);
  // Lets go of every server in host order, then of both views, and waits (up to
  // kShutdownWaitMs) for library handlers still running for a server to return.
  ~State() override;
  static constexpr unsigned kShutdownWaitMs = 5000;
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  // Proves the credentials with a real (blocking) connection, then adds the server and
  // starts its first refresh. userName and password are zero-terminated UTF-8. On
  // failure returns null with error = the low 16 bits of the library's error,
  // ERROR_SERVER_ALREADY_ADDED when the host is already held (nothing is connected),
  // or 0 (type not 1, password protection failed).
  OlvarkServerPtr AddServer(int type, const std::string& host, unsigned int port, bool useSsl, const char* userName,
                            const char* password, bool saveCredentials, int& error);
  // A server from a saved record, logged off; saveCredentials = user name not empty.
  // Null for a type other than 1, or when the host is already held (logged).
  OlvarkServerPtr AddSavedServer(int type, const std::string& host, unsigned int port, bool useSsl,
                                 const std::string& userName, const std::string& protectedPassword);
  // Every record of the preferences: each server with its favorites and recent VMs.
  // Returns the servers made, in record order.
  std::vector<OlvarkServerPtr> RestoreSavedServers(const std::vector<ServerRecord>& records);
  // Removes the server from the set; it is freed once nothing else holds it.
  void RemoveServer(const VMCollection* server);

  // The favorite VMs of every server, in VM order.
  VMList GetFavoriteVMs() const;
  // The VMs of every server used within the recent window, in VM order.
  VMList GetRecentVMs() const;

  // The servers in host order (byte order of the host names).
  std::vector<OlvarkServerPtr> GetServers() const;
  OlvarkServerPtr FindServer(const std::string& host) const;
  const std::shared_ptr<Favorites>& GetFavorites() const { return mFavorites; }
  const std::shared_ptr<MRU>& GetRecent() const { return mRecent; }

  // PrefsServerSource: the live servers as the preferences file stores them.
  std::vector<LiveServer> GetServersForPrefs() override;

 private:
  // Inserts unless the host is taken; false when it is.
  bool Insert(const OlvarkServerPtr& server);

  const utils::DurationSource mDuration;
  mutable std::recursive_mutex mLock;
  std::map<std::string, OlvarkServerPtr> mServers;  // by host, plain byte order
  std::shared_ptr<Favorites> mFavorites;
  std::shared_ptr<MRU> mRecent;
};
