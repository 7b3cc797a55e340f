#include "console/VmSession.h"

#include <deque>

#include "backend/QorLibrary.h"
#include "console/VmName.h"

namespace lumacon {
namespace {

const QorFunctions& Qor() { return QorLibrary::Api(); }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], size);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

// Waits for a job, reads its result handle when asked and gives the job back.
QorError Finish(QorHandle job, QorHandle* result) {
  if (!job) return QOR_E_OUT_OF_MEMORY;
  QorError error = result ? Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, result, QOR_PROPERTY_NONE)
                          : Qor().QorJob_Wait(job, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  return error;
}

}  // namespace

VmSession::Outcome VmSession::Open(const HostArgument& server, const std::string& user, SecretText& password,
                                   const std::string& moid) {
  Outcome outcome;
  std::string url = Utf8(server.ServiceUrl());
  QorHandle job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, url.c_str(),
                                        static_cast<int>(server.port), user.c_str(), password.CStr(), 0, 0,
                                        nullptr, nullptr);
  password.Wipe();  // the library copied it before returning
  outcome.error = Finish(job, &mHost);
  if (outcome.error != QOR_OK) {
    mHost = 0;
    outcome.result = outcome.error == QOR_E_BAD_CREDENTIALS ? Result::kLoginRefused : Result::kConnectFailed;
    return outcome;
  }

  std::vector<std::string> paths;
  outcome.error = ListVmPaths(paths);
  if (outcome.error != QOR_OK) {
    outcome.result = Result::kSearchFailed;
    return outcome;
  }
  std::string foundPath;
  QorError broken = FindAmong(paths, moid, foundPath);
  if (broken != QOR_OK) {
    outcome.error = broken;
    outcome.result = Result::kSearchFailed;
    return outcome;
  }
  if (mVm) {
    outcome.result = Result::kOpened;
    outcome.vmName = Wide(VmNameFromPath(foundPath));
    if (outcome.vmName.empty()) outcome.vmName = Wide(foundPath);
    return outcome;
  }
  outcome.result = Result::kVmNotFound;
  outcome.error = QOR_E_VM_NOT_FOUND;
  return outcome;
}

void VmSession::OnFoundItem(QorHandle, int eventType, QorHandle item, void* context) {
  if (eventType != QOR_EVENT_FIND_ITEM || !context) return;
  char* path = nullptr;
  if (Qor().Qor_GetProperties(item, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE) != QOR_OK || !path) {
    return;
  }
  auto* self = static_cast<VmSession*>(context);
  {
    std::lock_guard<std::mutex> lock(self->mFoundLock);
    self->mFound.emplace_back(path);
  }
  Qor().Qor_FreeBuffer(path);
}

QorError VmSession::ListVmPaths(std::vector<std::string>& paths) {
  QorHandle job = Qor().QorHost_FindItems(mHost, QOR_FIND_RUNNING_VMS, 0, QOR_TIMEOUT_INFINITE, OnFoundItem, this);
  QorError error = Finish(job, nullptr);
  std::lock_guard<std::mutex> lock(mFoundLock);
  paths.swap(mFound);
  mFound.clear();
  return error;
}

// Opens are answered one request each, so several run at once; the answers are taken in
// order, and once the VM is found the rest are only waited for and given back.
QorError VmSession::FindAmong(const std::vector<std::string>& paths, const std::string& moid,
                              std::string& foundPath) {
  struct Pending {
    QorHandle job;
    size_t index;
  };
  std::deque<Pending> pending;
  size_t next = 0;
  QorError broken = QOR_OK;
  while (true) {
    while (!mVm && broken == QOR_OK && next < paths.size() && pending.size() < kOpensInFlight) {
      pending.push_back({Qor().QorHost_OpenVM(mHost, paths[next].c_str(), 0, 0, nullptr, nullptr), next});
      ++next;
    }
    if (pending.empty()) break;
    Pending done = pending.front();
    pending.pop_front();
    QorHandle vm = 0;
    QorError error = Finish(done.job, &vm);
    if (error == QOR_E_CONNECTION_LOST || error == QOR_E_NOT_CONNECTED) {
      if (broken == QOR_OK) broken = error;
    }
    if (error != QOR_OK || !vm) continue;  // gone since the listing: not the one
    if (!mVm && broken == QOR_OK && HasId(vm, moid)) {
      mVm = vm;
      foundPath = paths[done.index];
    } else {
      Qor().Qor_ReleaseHandle(vm);
    }
  }
  return mVm ? QOR_OK : broken;
}

bool VmSession::HasId(QorHandle vm, const std::string& moid) {
  char* id = nullptr;
  bool matches = false;
  if (Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_MOID, &id, QOR_PROPERTY_NONE) == QOR_OK && id) {
    matches = moid == id;
    Qor().Qor_FreeBuffer(id);
  }
  return matches;
}

void VmSession::OnVmEvent(QorHandle, int, QorHandle, void* context) {
  auto* self = static_cast<VmSession*>(context);
  if (!self) return;
  HWND window = self->mWindow.load();
  if (window) PostMessageW(window, self->mMessage, 0, 0);
}

bool VmSession::Follow(HWND window, UINT message) {
  if (!mVm || mFollowing) return mFollowing;
  mMessage = message;
  mWindow.store(window);
  mFollowing = Qor().Qor_SubscribeToEvents(mVm, QOR_EVENT_VM_STATE_CHANGED, OnVmEvent, this) == QOR_OK;
  if (!mFollowing) mWindow.store(nullptr);
  return mFollowing;
}

bool VmSession::ReadPowerState(int32_t& bits) const {
  if (!mVm) return false;
  return Qor().Qor_GetProperties(mVm, QOR_PROPERTY_VM_POWER_STATE, &bits, QOR_PROPERTY_NONE) == QOR_OK;
}

void VmSession::Close() {
  if (!QorLibrary::IsBound()) return;
  if (mFollowing) {
    Qor().Qor_CancelEventSubscription(mVm, QOR_EVENT_VM_STATE_CHANGED, OnVmEvent, this);
    mFollowing = false;
  }
  mWindow.store(nullptr);
  if (mVm) Qor().Qor_ReleaseHandle(mVm);
  mVm = 0;
  if (mHost) {
    Qor().QorHost_Disconnect(mHost);
    Qor().Qor_ReleaseHandle(mHost);
  }
  mHost = 0;
}

std::wstring VmSession::ErrorText(QorError error) {
  const char* text = QorLibrary::IsBound() ? Qor().Qor_GetErrorText(error, nullptr) : nullptr;
  return text ? Wide(text) : std::wstring(L"Unknown error");
}

}  // namespace lumacon
