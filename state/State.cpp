#include "state/State.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "backend/QorErrorText.h"
#include "backend/QorLibrary.h"
#include "backend/QorVM.h"
#include "backend/ServerAddress.h"
#include "backend/VMOrder.h"
#include "log/Log.h"
#include "services/Protection.h"
#include "state/Prefs.h"

namespace {

State* gStateInstance = nullptr;

int64_t ToSignedTime(uint64_t time) {
  return time > static_cast<uint64_t>(LLONG_MAX) ? LLONG_MAX : static_cast<int64_t>(time);
}

}  // namespace

State& State::Instance() {
  if (!gStateInstance) gStateInstance = new State(nullptr);
  return *gStateInstance;
}

void State::DestroyInstance() {
  if (!gStateInstance) return;
  // Prefs, if it outlives the State, keeps the servers the State held last.
  if (Prefs::HasInstance()) Prefs::Instance().ForgetServerSource(gStateInstance);
  delete gStateInstance;
  gStateInstance = nullptr;
}

State::State(utils::DurationSource durationSource) : mDuration(durationSource) {
  mFavorites = Favorites::Create([this] { return GetFavoriteVMs(); });
  mRecent = MRU::Create([this] { return GetRecentVMs(); });
}

State::~State() {
  std::map<std::string, OlvarkServerPtr> servers;
  {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    servers.swap(mServers);
  }
  // In host order; each server disconnects and gives back its handles as it goes. A
  // library handler that is running holds its server until it returns: wait for those,
  // since the library is unloaded after the State.
  std::vector<std::weak_ptr<OlvarkServer>> freed;
  for (auto& entry : servers) {
    freed.push_back(entry.second);
    entry.second.reset();
  }
  servers.clear();
  mRecent->Detach();
  mFavorites->Detach();
  const ULONGLONG deadline = GetTickCount64() + kShutdownWaitMs;
  for (const auto& server : freed) {
    while (!server.expired() && GetTickCount64() < deadline) Sleep(10);
  }
  size_t inUse = 0;
  for (const auto& server : freed) inUse += server.expired() ? 0 : 1;
  if (inUse) {
    Log("%s: %u servers are still in use after %u ms.\n", "State::~State", static_cast<unsigned>(inUse),
        static_cast<unsigned>(kShutdownWaitMs));
  }
}

bool State::Insert(const OlvarkServerPtr& server) {
  std::lock_guard<std::recursive_mutex> hold(mLock);
  return mServers.emplace(server->GetHost(), server).second;
}

OlvarkServerPtr State::AddServer(int type, const std::string& host, unsigned int port, bool useSsl,
                                 const char* userName, const char* password, bool saveCredentials, int& error) {
  const char* const kName = "State::AddServer";
  error = 0;
  if (type != SERVER_TYPE_HOST) return nullptr;
  if (FindServer(host)) {
    Log("%s: Server '%s' is already in the list.\n", kName, host.c_str());
    error = ERROR_SERVER_ALREADY_ADDED;
    return nullptr;
  }
  QorHandle handle = 0;
  const QorError connectError = OlvarkServer::ConnectAndWait(host, port, useSsl, userName, password, handle);
  if (connectError != QOR_OK) {
    Log("%s: Adding Olvark/Castellan server failed with error %I64d (%s).\n", kName,
        static_cast<long long>(connectError), QorErrorText(connectError));
    error = static_cast<int>(connectError & 0xFFFF);
    return nullptr;
  }
  const char* secret = password ? password : "";
  std::string protectedPassword;
  if (!utils::EncryptString(secret, strlen(secret), protectedPassword)) {
    QorLibrary::Api().QorHost_Disconnect(handle);
    QorLibrary::Api().Qor_ReleaseHandle(handle);
    return nullptr;
  }
  OlvarkServerPtr server = OlvarkServer::Create(host, port, useSsl, userName ? userName : "", protectedPassword,
                                                saveCredentials, handle);
  QorLibrary::Api().Qor_ReleaseHandle(handle);  // the server holds its own reference
  if (!Insert(server)) {
    // Added by someone else while this one connected: this object goes away again.
    Log("%s: Server '%s' is already in the list.\n", kName, host.c_str());
    error = ERROR_SERVER_ALREADY_ADDED;
    return nullptr;
  }
  return server;
}

OlvarkServerPtr State::AddSavedServer(int type, const std::string& host, unsigned int port, bool useSsl,
                                      const std::string& userName, const std::string& protectedPassword) {
  if (type != SERVER_TYPE_HOST) return nullptr;
  OlvarkServerPtr server =
      OlvarkServer::Create(host, port, useSsl, userName, protectedPassword, !userName.empty(), 0);
  if (!Insert(server)) {
    Log("%s: Server '%s' is saved more than once; its later records are ignored.\n", "State::AddSavedServer",
        host.c_str());
    return nullptr;
  }
  return server;
}

std::vector<OlvarkServerPtr> State::RestoreSavedServers(const std::vector<ServerRecord>& records) {
  std::vector<OlvarkServerPtr> restored;
  for (const ServerRecord& record : records) {
    std::string host;
    unsigned int port = 0;
    bool portGiven = false, useSsl = true, schemeGiven = false;
    utils::ParseServerUrl(record.url, host, port, portGiven, useSsl, schemeGiven);
    if (record.type == SERVER_TYPE_HOST && host.empty()) {
      Log("%s: A saved server has no host name ('%s'); it is ignored.\n", "State::RestoreSavedServers",
          record.url.c_str());
      continue;
    }
    OlvarkServerPtr server = AddSavedServer(record.type, host, port, useSsl, record.username, record.password);
    if (!server) continue;
    for (const FavoriteRecord& favorite : record.favorites)
      server->AddFavorite(favorite.name, favorite.id, favorite.cfxPath);
    for (const RecentRecord& recent : record.recent)
      server->AddRecent(recent.name, recent.id, recent.cfxPath, ToSignedTime(recent.lastUse));
    restored.push_back(std::move(server));
  }
  return restored;
}

void State::RemoveServer(const VMCollection* server) {
  OlvarkServerPtr removed;
  {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    for (auto it = mServers.begin(); it != mServers.end(); ++it) {
      if (it->second.get() == server) {
        removed = std::move(it->second);
        mServers.erase(it);
        break;
      }
    }
  }
  // Freed here unless a row or a running handler still holds it.
  removed.reset();
}

VMList State::GetFavoriteVMs() const {
  VMList favorites;
  {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    for (const auto& entry : mServers) {
      entry.second->ForEachVM([&favorites](const VMPtr& vm) {
        if (vm->IsFavorite()) favorites.push_back(vm);
      });
    }
  }
  utils::SortVMs(favorites);
  return favorites;
}

VMList State::GetRecentVMs() const {
  VMList recent;
  {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    const int64_t now = utils::CurrentUnixTime();
    const int32_t days = mDuration ? mDuration() : utils::RecentDurationDays();
    for (const auto& entry : mServers) {
      entry.second->ForEachVM([&](const VMPtr& vm) {
        if (utils::IsRecentUse(vm->GetLastUse(), now, days)) recent.push_back(vm);
      });
    }
  }
  utils::SortVMs(recent);
  return recent;
}

std::vector<OlvarkServerPtr> State::GetServers() const {
  std::vector<OlvarkServerPtr> servers;
  std::lock_guard<std::recursive_mutex> hold(mLock);
  servers.reserve(mServers.size());
  for (const auto& entry : mServers) servers.push_back(entry.second);
  return servers;
}

OlvarkServerPtr State::FindServer(const std::string& host) const {
  std::lock_guard<std::recursive_mutex> hold(mLock);
  auto found = mServers.find(host);
  return found == mServers.end() ? nullptr : found->second;
}

std::vector<LiveServer> State::GetServersForPrefs() {
  std::vector<LiveServer> live;
  for (const OlvarkServerPtr& server : GetServers()) {
    LiveServer record;
    record.host = server->GetHost();
    record.port = server->GetPort();
    record.useSsl = server->UsesSsl();
    record.saveCredentials = server->GetSaveCredentials();
    record.username = server->GetUser();
    record.password = server->GetProtectedPassword();
    for (const VMPtr& vm : server->GetVMs()) {
      const QorVM* qorVM = dynamic_cast<const QorVM*>(vm.get());
      // Only favorites and used VMs can produce lines; skip the rest of large lists.
      if (!qorVM || (!qorVM->IsFavorite() && qorVM->GetLastUse() == 0)) continue;
      const int64_t lastUse = qorVM->GetLastUse();
      record.vms.push_back(LiveVM{qorVM->GetId(), qorVM->GetName(), qorVM->GetCfxPath(), qorVM->IsFavorite(),
                                  lastUse > 0 ? static_cast<uint64_t>(lastUse) : 0});
    }
    live.push_back(std::move(record));
  }
  return live;
}
