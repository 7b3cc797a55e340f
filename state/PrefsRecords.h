// Saved-server records as prefs.txt holds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FavoriteRecord {
  std::string id;
  std::string name;
  std::string cfxPath;
};

struct RecentRecord {
  std::string id;
  std::string name;
  std::string cfxPath;
  uint64_t lastUse = 0;  // seconds since 1970-01-01 00:00 UTC
};

struct ServerRecord {
  enum { TYPE_NONE = 0, TYPE_SERVER = 1, TYPE_OTHER = 2 };

  std::string url;       // utils::MakeServerUrl with scheme
  int32_t type = TYPE_NONE;
  std::string username;  // non-empty exactly when credentials are saved
  std::string password;  // protected Base64 form, never the clear password
  std::vector<FavoriteRecord> favorites;
  std::vector<RecentRecord> recent;
};
