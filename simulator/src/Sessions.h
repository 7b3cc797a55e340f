#pragma once
// The host's one account and the sessions that logins open.

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_set>

namespace sim {

class SessionStore {
 public:
  SessionStore(std::string user, std::string password, size_t maxSessions = 10000);

  // Empty or wrong credentials give false.
  bool CheckCredentials(const std::string& user, const std::string& password) const;
  void SetCredentials(std::string user, std::string password);

  // A new random token. Beyond maxSessions the oldest session is forgotten.
  std::string Open();
  bool IsValid(const std::string& token) const;
  void Close(const std::string& token);
  void DropAll();
  size_t Count() const;

 private:
  mutable std::mutex mMutex;
  std::string mUser;
  std::string mPassword;
  size_t mMaxSessions;
  std::unordered_set<std::string> mTokens;
  std::deque<std::string> mOpenOrder;  // may hold closed tokens; skipped when evicting
};

// 32 hex digits from the OpenSSL random generator.
std::string NewSessionToken();

}  // namespace sim
