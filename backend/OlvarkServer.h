// One hypervisor host or management server that the user added: address, saved
// credentials, login through the automation library, and the sorted list of its VMs,
// kept across refreshes so that open VMs and their rows survive.
//
// Servers are shared objects (State holds them, library handlers hold them while they
// run), created through Create. Threads: Login, Logoff and Refresh may be called on any
// thread; library handlers run on the library's threads. mChanged is emitted on the
// thread that made the change, never while a lock of the server is held.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "backend/QorApi.h"
#include "backend/QorVMCollection.h"

class QorVM;

class OlvarkServer : public QorVMCollection {
 public:
  // How a VM's console is started: console host argument, managed-object id, user name,
  // protected password. utils::RunVMInLumacon unless a test sets another (nullptr
  // restores it).
  using ConsoleLauncher = bool (*)(const std::string& host, const std::string& moid, const std::string& userName,
                                   const std::string& protectedPassword);
  static void SetConsoleLauncher(ConsoleLauncher launcher);

  // hostHandle 0: logged off, no signal. Otherwise the server takes its own reference to
  // the handle and starts a refresh at once.
  static std::shared_ptr<OlvarkServer> Create(const std::string& host, unsigned int port, bool useSsl,
                                              const std::string& userName, const std::string& protectedPassword,
                                              bool saveCredentials, QorHandle hostHandle);
  ~OlvarkServer() override;

  // Connects without a handler and waits (blocking): the job's error; hostHandle gets
  // the new host handle (0 on failure), which the caller must release.
  static QorError ConnectAndWait(const std::string& host, unsigned int port, bool useSsl, const char* userName,
                                 const char* password, QorHandle& hostHandle);
  // True when the address answers as a server of this kind (it refuses empty
  // credentials with error 3014). Blocking.
  static bool Probe(const std::string& host, unsigned int port, bool useSsl);

  // VMCollection
  VMList GetVMs() const override;
  // Calls visit for each VM of the list, under the list's lock: a walk over tens of
  // thousands without copying them. visit must not call back into the server.
  template <class Visit>
  void ForEachVM(Visit&& visit) const {
    std::lock_guard<std::mutex> hold(mVMsLock);
    for (const VMPtr& vm : mVMs) visit(vm);
  }
  std::string GetName() const override { return mHost; }
  void AddFavorite(const std::string& name, const std::string& id, const std::string& cfxPath) override;
  void AddRecent(const std::string& name, const std::string& id, const std::string& cfxPath,
                 int64_t lastUse) override;
  bool HasUserName() const override;
  void Login(const char* userName, const char* password, bool save) override;
  void Logoff(bool clearCredentials, bool disconnect) override;
  uint64_t GetLastError() const override;
  void Refresh() override;
  bool RunVMInConsole(VM& vm) override;
  int GetState() const override;
  std::string GetErrorText() const override;

  // QorVMCollection
  QorHandle GetHostHandle() const override;
  void OnConnectionLost(QorHandle lostHandle) override;

  // Counts the searches started: a new value once a refresh began since the last look.
  uint64_t GetSearchSerial() const;

  // What the State and the preferences writer read.
  const std::string& GetHost() const { return mHost; }
  unsigned int GetPort() const { return mPort; }
  bool UsesSsl() const { return mUseSsl; }
  std::string GetUser() const;
  std::string GetProtectedPassword() const;
  bool GetSaveCredentials() const;

 private:
  struct SearchContext;
  OlvarkServer(const std::string& host, unsigned int port, bool useSsl, const std::string& userName,
               const std::string& protectedPassword, bool saveCredentials, QorHandle hostHandle);
  std::shared_ptr<OlvarkServer> Self();
  // Sets the state when the search is still the server's newest on the same session.
  void SetStateIfCurrent(const SearchContext& search, int state);
  void FinishSearch(SearchContext& search, QorError callError, QorError jobError);
  // Merges the found paths into mVMs; what the list lets go of goes to dropped.
  void ReplaceVMs(const std::vector<std::string>& found, VMList& dropped);
  void FinishLogin(uint64_t sessionSerial, QorError callError, QorError jobError, QorHandle result);

  static void OnHostConnected(QorHandle job, int eventType, QorHandle moreInfo, void* context);
  static void FindItemsCallback(QorHandle job, int eventType, QorHandle moreInfo, void* context);

  const std::string mHost;
  const unsigned int mPort;
  const bool mUseSsl;

  // Guards the credentials, the handle, the state and the serials.
  mutable std::mutex mLock;
  std::string mUserName;
  std::string mPassword;  // protected form only
  bool mSaveCredentials;
  QorHandle mHandle = 0;
  int mState = STATE_LOGGED_OFF;
  uint64_t mLastError = 0;
  std::string mErrorText;
  uint64_t mSessionSerial = 0;  // advanced by every log-off: older login answers are stale
  uint64_t mSearchSerial = 0;   // the newest search; only its answer replaces the list

  // Guards mVMs. The State's walks and the list replacement both take it, so a walk sees
  // either the old or the new list, whole.
  mutable std::mutex mVMsLock;
  VMList mVMs;
  uint64_t mVMsVersion = 0;  // advanced by every change of mVMs

  // Held while a search's completion runs: two completions of one server never overlap.
  std::mutex mCompletionLock;

  std::atomic<bool> mDestroying{false};
};

using OlvarkServerPtr = std::shared_ptr<OlvarkServer>;
