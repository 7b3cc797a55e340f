#include "simulator/src/Sessions.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <random>

#include "simulator/src/RequestLog.h"

namespace sim {
namespace {

bool SameText(const std::string& a, const std::string& b) {
  // Constant time over the common length, so timing does not leak the password.
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::string NewSessionToken() {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) {
    // The OpenSSL generator failing is exceptional; fall back to the system's.
    std::random_device device;
    for (auto& b : bytes) b = static_cast<unsigned char>(device());
  }
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

SessionStore::SessionStore(std::string user, std::string password, size_t maxSessions)
    : mUser(std::move(user)), mPassword(std::move(password)), mMaxSessions(maxSessions) {}

bool SessionStore::CheckCredentials(const std::string& user, const std::string& password) const {
  if (user.empty() || password.empty()) return false;
  std::lock_guard<std::mutex> lock(mMutex);
  bool userOk = SameText(user, mUser);
  bool passwordOk = SameText(password, mPassword);
  return userOk && passwordOk;
}

void SessionStore::SetCredentials(std::string user, std::string password) {
  std::lock_guard<std::mutex> lock(mMutex);
  mUser = std::move(user);
  mPassword = std::move(password);
}

std::string SessionStore::Open() {
  std::string token = NewSessionToken();
  std::lock_guard<std::mutex> lock(mMutex);
  while (mTokens.size() >= mMaxSessions && !mOpenOrder.empty()) {
    if (mTokens.erase(mOpenOrder.front()) != 0) LogLine("sessions: limit of %zu reached, oldest session dropped", mMaxSessions);
    mOpenOrder.pop_front();
  }
  mTokens.insert(token);
  mOpenOrder.push_back(token);
  // Closed tokens linger in the order list; keep it from growing without bound.
  if (mOpenOrder.size() > 2 * mMaxSessions + 16) {
    std::deque<std::string> live;
    for (auto& t : mOpenOrder)
      if (mTokens.count(t) != 0) live.push_back(std::move(t));
    mOpenOrder.swap(live);
  }
  return token;
}

bool SessionStore::IsValid(const std::string& token) const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mTokens.count(token) != 0;
}

void SessionStore::Close(const std::string& token) {
  std::lock_guard<std::mutex> lock(mMutex);
  mTokens.erase(token);
}

void SessionStore::DropAll() {
  std::lock_guard<std::mutex> lock(mMutex);
  mTokens.clear();
  mOpenOrder.clear();
}

size_t SessionStore::Count() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mTokens.size();
}

}  // namespace sim
