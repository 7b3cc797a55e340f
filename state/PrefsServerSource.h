// What the preferences writer needs from the live servers. State implements the source and
// attaches it to Prefs; Prefs turns the servers into records when it saves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/PrefsRecords.h"

struct LiveVM {
  std::string id;
  std::string name;
  std::string cfxPath;
  bool favorite = false;
  uint64_t lastUse = 0;  // seconds since 1970 UTC, 0 = never used
};

struct LiveServer {
  std::string host;
  unsigned int port = 0;
  bool useSsl = true;
  bool saveCredentials = false;
  std::string username;
  std::string password;  // protected Base64 form
  std::vector<LiveVM> vms;  // the server's automation-library VMs, in its own order
};

class PrefsServerSource {
 public:
  virtual ~PrefsServerSource() = default;
  // Every server to be saved, in the order the file should list them.
  virtual std::vector<LiveServer> GetServersForPrefs() = 0;
};

// The loaded records that would become servers (type 1 with a host), as the servers they
// would become: credentials count as saved when a user name is present, every favorite and
// recent record is one VM. Saved when no live source is attached, so that a run that never
// built its servers does not wipe them from the file.
std::vector<LiveServer> LiveServersFromRecords(const std::vector<ServerRecord>& records);
