#include "backend/OlvarkServer.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "backend/JobContext.h"
#include "backend/QorErrorText.h"
#include "backend/QorLibrary.h"
#include "backend/QorVM.h"
#include "backend/ServerAddress.h"
#include "backend/VMListMerge.h"
#include "backend/VMName.h"
#include "backend/VMOrder.h"
#include "log/Log.h"
#include "services/ConsoleCommandLine.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"

namespace {

using LoginJob = JobContext<OlvarkServer>;

std::atomic<OlvarkServer::ConsoleLauncher> gConsoleLauncher{&utils::RunVMInLumacon};

void Wipe(std::string& text) {
  for (char& c : text) c = '\0';
  text.clear();
}

}  // namespace

struct OlvarkServer::SearchContext {
  std::weak_ptr<OlvarkServer> server;
  uint64_t serial = 0;
  QorHandle host = 0;
  std::vector<std::string> found;  // paths; VMs are made at the end for the new ones only
  QorJobToken inFlight;  // tear-down waits for it
};

void OlvarkServer::SetConsoleLauncher(ConsoleLauncher launcher) {
  gConsoleLauncher.store(launcher ? launcher : &utils::RunVMInLumacon);
}

std::shared_ptr<OlvarkServer> OlvarkServer::Create(const std::string& host, unsigned int port, bool useSsl,
                                                   const std::string& userName,
                                                   const std::string& protectedPassword, bool saveCredentials,
                                                   QorHandle hostHandle) {
  std::shared_ptr<OlvarkServer> server(
      new OlvarkServer(host, port, useSsl, userName, protectedPassword, saveCredentials, hostHandle));
  if (hostHandle) server->Refresh();
  return server;
}

OlvarkServer::OlvarkServer(const std::string& host, unsigned int port, bool useSsl, const std::string& userName,
                           const std::string& protectedPassword, bool saveCredentials, QorHandle hostHandle)
    : mHost(host),
      mPort(port),
      mUseSsl(useSsl),
      mUserName(userName),
      mPassword(protectedPassword),
      mSaveCredentials(saveCredentials),
      mHandle(hostHandle) {
  if (mHandle) Qor().Qor_AddRefHandle(mHandle);
}

OlvarkServer::~OlvarkServer() {
  mDestroying = true;
  // No handler can be running: each holds a strong reference while it runs.
  if (mHandle) {
    Qor().QorHost_Disconnect(mHandle);
    Qor().Qor_ReleaseHandle(mHandle);
    mHandle = 0;
  }
  VMList vms;
  vms.swap(mVMs);
  // VMs that rows still hold outlive the server as closed objects.
  for (const VMPtr& vm : vms) {
    if (QorVM* qorVM = dynamic_cast<QorVM*>(vm.get())) qorVM->Detach();
  }
  Wipe(mPassword);
}

std::shared_ptr<OlvarkServer> OlvarkServer::Self() {
  return std::static_pointer_cast<OlvarkServer>(shared_from_this());
}

QorError OlvarkServer::ConnectAndWait(const std::string& host, unsigned int port, bool useSsl, const char* userName,
                                      const char* password, QorHandle& hostHandle) {
  hostHandle = 0;
  const std::string url = utils::MakeServiceUrl(host, useSsl);
  const QorHandle job =
      Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, url.c_str(), static_cast<int>(port),
                            userName ? userName : "", password ? password : "", 0, 0, nullptr, nullptr);
  if (!job) return QOR_E_FAIL;
  const QorError error = Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, &hostHandle, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  if (error != QOR_OK && hostHandle) {
    Qor().Qor_ReleaseHandle(hostHandle);
    hostHandle = 0;
  }
  return error;
}

bool OlvarkServer::Probe(const std::string& host, unsigned int port, bool useSsl) {
  QorHandle hostHandle = 0;
  const QorError error = ConnectAndWait(host, port, useSsl, "", "", hostHandle);
  if (hostHandle) {
    // A server that takes empty credentials is not one of ours; end that session.
    Qor().QorHost_Disconnect(hostHandle);
    Qor().Qor_ReleaseHandle(hostHandle);
  }
  return error == QOR_E_BAD_CREDENTIALS;
}

VMList OlvarkServer::GetVMs() const {
  std::lock_guard<std::mutex> hold(mVMsLock);
  return mVMs;
}

void OlvarkServer::AddFavorite(const std::string& name, const std::string& id, const std::string& cfxPath) {
  std::shared_ptr<QorVM> vm = QorVM::Create(name, id, cfxPath, Self());
  vm->SetFavorite(true);
  std::lock_guard<std::mutex> hold(mVMsLock);
  mVMs.push_back(std::move(vm));
  ++mVMsVersion;
}

void OlvarkServer::AddRecent(const std::string& name, const std::string& id, const std::string& cfxPath,
                             int64_t lastUse) {
  std::shared_ptr<QorVM> vm = QorVM::Create(name, id, cfxPath, Self());
  std::lock_guard<std::mutex> hold(mVMsLock);
  for (const VMPtr& held : mVMs) {
    if (utils::CompareVMs(*held, *vm) == 0) {
      held->SetLastUse(lastUse);
      return;
    }
  }
  vm->SetLastUse(lastUse);
  mVMs.push_back(std::move(vm));
  ++mVMsVersion;
}

bool OlvarkServer::HasUserName() const {
  std::lock_guard<std::mutex> hold(mLock);
  return !mUserName.empty();
}

std::string OlvarkServer::GetUser() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mUserName;
}

std::string OlvarkServer::GetProtectedPassword() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mPassword;
}

bool OlvarkServer::GetSaveCredentials() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mSaveCredentials;
}

uint64_t OlvarkServer::GetLastError() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mLastError;
}

uint64_t OlvarkServer::GetSearchSerial() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mSearchSerial;
}

int OlvarkServer::GetState() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mState;
}

std::string OlvarkServer::GetErrorText() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mErrorText;
}

QorHandle OlvarkServer::GetHostHandle() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mHandle;
}

void OlvarkServer::Login(const char* userName, const char* password, bool save) {
  const char* const kName = "OlvarkServer::Login";
  const bool givenUser = userName && *userName;
  std::vector<char> plain;  // the clear password, wiped before it is freed
  std::string user;
  uint64_t sessionSerial = 0;
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mHandle) return;  // already logged in
    if (mState == STATE_LOGGING_IN) {
      // A second connect would race the first and leak one of the two sessions.
      Log("%s: A login to server '%s' is already under way.\n", kName, mHost.c_str());
      return;
    }
    if (mUserName.empty() && !givenUser) {
      Log("%s: No credentials are available for login to server '%s'.\n", kName, mHost.c_str());
      return;
    }
    if (!givenUser) {
      if (!utils::DecryptString(mPassword.c_str(), static_cast<int>(mPassword.size()), plain)) {
        Wipe(mUserName);
        Wipe(mPassword);
        Log("%s: Unable to decrypt the saved credentials for login to server '%s'.\n", kName, mHost.c_str());
        return;
      }
    } else {
      mUserName = userName;
      mSaveCredentials = save;
      const char* secret = password ? password : "";
      std::string protectedPassword;
      if (utils::EncryptString(secret, strlen(secret), protectedPassword)) mPassword.swap(protectedPassword);
      Wipe(protectedPassword);
      plain.assign(secret, secret + strlen(secret) + 1);
    }
    user = mUserName;
    sessionSerial = mSessionSerial;
    Log("%s: Attempting to login to server '%s'.\n", kName, mHost.c_str());
    mState = STATE_LOGGING_IN;
  }
  mChanged.emit();

  if (plain.empty()) plain.push_back('\0');
  LoginJob* context = new LoginJob{Self(), sessionSerial, 0};
  const std::string url = utils::MakeServiceUrl(mHost, mUseSsl);
  const QorHandle job =
      Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, url.c_str(), static_cast<int>(mPort),
                            user.c_str(), plain.data(), 0, 0, &OlvarkServer::OnHostConnected, context);
  utils::WipeBuffer(plain);
  if (!job) {
    // No job, so no handler call will come: fail the login here.
    delete context;
    FinishLogin(sessionSerial, QOR_E_FAIL, QOR_OK, 0);
  }
}

void OlvarkServer::OnHostConnected(QorHandle job, int eventType, QorHandle moreInfo, void* clientData) {
  (void)moreInfo;
  if (eventType != QOR_EVENT_JOB_COMPLETED || !clientData) return;
  std::unique_ptr<LoginJob> context(static_cast<LoginJob*>(clientData));
  QorError jobError = QOR_OK;
  QorHandle result = 0;
  const QorError callError = Qor().Qor_GetProperties(job, QOR_PROPERTY_JOB_ERROR, &jobError,
                                                     QOR_PROPERTY_JOB_RESULT, &result, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  std::shared_ptr<OlvarkServer> server = context->target.lock();
  if (!server || server->mDestroying) {
    // Nobody wants this session any more.
    if (result) {
      Qor().QorHost_Disconnect(result);
      Qor().Qor_ReleaseHandle(result);
    }
    return;
  }
  server->FinishLogin(context->serial, callError, jobError, result);
}

void OlvarkServer::FinishLogin(uint64_t sessionSerial, QorError callError, QorError jobError, QorHandle result) {
  const char* const kName = "OlvarkServer::OnHostConnected";
  const bool succeeded = callError == QOR_OK && jobError == QOR_OK && result != 0;
  {
    std::unique_lock<std::mutex> hold(mLock);
    if (sessionSerial != mSessionSerial || mHandle != 0) {
      hold.unlock();
      Log("%s: Ignoring the answer to a login to server '%s' that was logged off meanwhile.\n", kName,
          mHost.c_str());
      if (result) {
        Qor().QorHost_Disconnect(result);
        Qor().Qor_ReleaseHandle(result);
      }
      return;
    }
    if (succeeded) {
      Log("%s: Login succeeded to server '%s'.\n", kName, mHost.c_str());
      mHandle = result;
    } else {
      if (callError == QOR_E_BAD_CREDENTIALS || jobError == QOR_E_BAD_CREDENTIALS) {
        Wipe(mUserName);
        Wipe(mPassword);
        mSaveCredentials = false;
      }
      mState = STATE_LOGIN_FAILED;
      mLastError = jobError != QOR_OK ? jobError : callError;
      mErrorText = QorErrorText(mLastError);
      Log("%s: Login failed to server '%s' with error %I64d (%s).\n", kName, mHost.c_str(), SignedError(mLastError),
          mErrorText.c_str());
    }
  }
  if (succeeded) {
    Refresh();
    return;
  }
  if (result) Qor().Qor_ReleaseHandle(result);
  mChanged.emit();
}

void OlvarkServer::Refresh() {
  const char* const kName = "OlvarkServer::Refresh";
  QorHandle host = 0;
  uint64_t serial = 0;
  {
    std::lock_guard<std::mutex> hold(mLock);
    host = mHandle;
    if (!host) {
      Log("%s: Refresh called on server '%s' when mHandle is invalid!\n", kName, mHost.c_str());
      mState = STATE_ENUM_FAILED;
    } else {
      mState = STATE_ENUMERATING;
      serial = ++mSearchSerial;
    }
  }
  mChanged.emit();
  if (!host) return;

  SearchContext* search = new SearchContext{Self(), serial, host, {}};
  if (Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, QOR_TIMEOUT_INFINITE,
                              &OlvarkServer::FindItemsCallback, search) != 0) {
    return;
  }
  delete search;
  Log("%s: The library did not start the VM search on server '%s'.\n", kName, mHost.c_str());
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mSearchSerial != serial) return;  // a newer search owns the state now
    mState = STATE_ENUMERATED;
  }
  mChanged.emit();
}

void OlvarkServer::FindItemsCallback(QorHandle job, int eventType, QorHandle moreInfo, void* clientData) {
  if (!clientData) return;
  SearchContext* search = static_cast<SearchContext*>(clientData);
  if (eventType == QOR_EVENT_FIND_ITEM) {
    std::shared_ptr<OlvarkServer> server = search->server.lock();
    if (!server || server->mDestroying) return;
    char* path = nullptr;
    const QorError error =
        Qor().Qor_GetProperties(moreInfo, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE);
    if (error != QOR_OK || !path) {
      Log("%s: Reading the path of a VM found on server '%s' failed with error %I64d (%s).\n",
          "OlvarkServer::FindItemsCallback", server->mHost.c_str(), SignedError(error), QorErrorText(error));
      return;
    }
    search->found.emplace_back(path);
    Qor().Qor_FreeBuffer(path);
    return;
  }
  if (eventType != QOR_EVENT_JOB_COMPLETED) return;

  std::unique_ptr<SearchContext> owned(search);
  QorError jobError = QOR_OK;
  const QorError callError = Qor().Qor_GetProperties(job, QOR_PROPERTY_JOB_ERROR, &jobError, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  std::shared_ptr<OlvarkServer> server = owned->server.lock();
  if (!server || server->mDestroying) return;
  server->FinishSearch(*owned, callError, jobError);
}

void OlvarkServer::FinishSearch(SearchContext& search, QorError callError, QorError jobError) {
  const char* const kName = "OlvarkServer::FindItemsCallback";
  VMList dropped;  // let go of after every lock is released
  std::lock_guard<std::mutex> serialised(mCompletionLock);
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (search.serial != mSearchSerial || search.host != mHandle) {
      // A newer search is running, or the session it used is gone: its answer is old.
      Log("%s: Ignoring the answer of an outdated VM search on server '%s'.\n", kName, mHost.c_str());
      return;
    }
  }
  if (callError == QOR_OK && jobError == QOR_OK) {
    Log("%s: VM enumeration on server '%s' is finished. We found %u VMs.\n", kName, mHost.c_str(),
        static_cast<unsigned>(search.found.size()));
    ReplaceVMs(search.found, dropped);
    SetStateIfCurrent(search, STATE_ENUMERATED);
    return;
  }
  Log("%s: VM enumeration on server '%s' failed with err %I64d and asyncErr %I64d.\n", kName, mHost.c_str(),
      SignedError(callError), SignedError(jobError));
  if (jobError == QOR_E_CONNECTION_LOST) {
    Log("%s: Connection to server '%s' was lost.\n", kName, mHost.c_str());
    OnConnectionLost(search.host);
    return;
  }
  SetStateIfCurrent(search, STATE_ENUMERATED);
}

void OlvarkServer::ReplaceVMs(const std::vector<std::string>& found, VMList& dropped) {
  const std::shared_ptr<OlvarkServer> self = Self();
  const auto makeVM = [&self](const std::string& path) -> VMPtr {
    return QorVM::Create(utils::GetVMNameFromPath(path), std::string(), path, self);
  };
  // Merged on a copy, outside mVMsLock, so that the UI thread's walks never wait for a
  // merge of thousands; a list changed meanwhile (a favorite restored) is merged again.
  for (;;) {
    VMList old;
    uint64_t version = 0;
    {
      std::lock_guard<std::mutex> hold(mVMsLock);
      old = mVMs;
      version = mVMsVersion;
    }
    VMList merged = utils::MergeFoundPaths(old, found, makeVM, dropped);
    std::lock_guard<std::mutex> hold(mVMsLock);
    if (version != mVMsVersion) continue;
    mVMs.swap(merged);
    ++mVMsVersion;
    // The previous list's references, let go of by the caller outside the lock.
    dropped.insert(dropped.end(), std::make_move_iterator(merged.begin()), std::make_move_iterator(merged.end()));
    return;
  }
}

void OlvarkServer::SetStateIfCurrent(const SearchContext& search, int state) {
  {
    std::lock_guard<std::mutex> hold(mLock);
    // A log-off or a newer search may have come while the list was merged.
    if (search.serial != mSearchSerial || search.host != mHandle) return;
    mState = state;
  }
  mChanged.emit();
}

void OlvarkServer::OnConnectionLost(QorHandle lostHandle) {
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (!lostHandle || lostHandle != mHandle) {
      Log("%s: Server '%s' has already left the session that was lost.\n", "OlvarkServer::OnConnectionLost",
          mHost.c_str());
      return;
    }
  }
  Logoff(false, false);
}

void OlvarkServer::Logoff(bool clearCredentials, bool disconnect) {
  const char* const kName = "OlvarkServer::Logoff";
  Log("%s: Logging off of server '%s'.\n", kName, mHost.c_str());
  Log("%s: Closing all open VMs.\n", kName);
  for (const VMPtr& vm : GetVMs()) {
    if (QorVM* qorVM = dynamic_cast<QorVM*>(vm.get())) qorVM->Close();
  }
  Log("%s: Logging off user. %s.\n", kName, clearCredentials ? "Clearing credentials" : "Not clearing credentials");
  QorHandle handle = 0;
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (clearCredentials) {
      Wipe(mUserName);
      Wipe(mPassword);
      mSaveCredentials = false;
    }
    handle = mHandle;
    mHandle = 0;
    mState = STATE_LOGGED_OFF;
    ++mSessionSerial;  // a login still under way is now stale
  }
  if (handle) {
    if (disconnect) Qor().QorHost_Disconnect(handle);
    // Our reference goes either way; a lost session would otherwise stay allocated.
    Qor().Qor_ReleaseHandle(handle);
  }
  mChanged.emit();
}

bool OlvarkServer::RunVMInConsole(VM& vm) {
  QorVM* qorVM = dynamic_cast<QorVM*>(&vm);
  if (!qorVM) return false;
  const ConsoleLauncher launcher = gConsoleLauncher.load();
  std::string user;
  std::string password;
  {
    std::lock_guard<std::mutex> hold(mLock);
    user = mUserName;
    password = mPassword;
  }
  // The console gets the port and scheme too: a server on a port of its own is not
  // reached through the host name alone.
  const bool launched =
      launcher(utils::MakeConsoleHostArgument(mHost, mPort, mUseSsl), qorVM->GetId(), user, password);
  Wipe(password);
  return launched;
}
