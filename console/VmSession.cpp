#include "console/VmSession.h"

#include <algorithm>

#include "backend/QorLibrary.h"
#include "backend/VMName.h"
#include "services/TextConversion.h"

namespace lumacon {
namespace {

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
  std::string url = utils::ToUtf8String(server.ServiceUrl());
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
  return FindAndOpen(moid);
}

void VmSession::OnFoundItem(QorHandle, int eventType, QorHandle item, void* context) {
  if (eventType != QOR_EVENT_FIND_ITEM || !context) return;
  char* path = nullptr;
  if (Qor().Qor_GetProperties(item, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE) != QOR_OK || !path) {
    return;
  }
  ListedVm listed{path, std::string()};
  Qor().Qor_FreeBuffer(path);
  char* moid = nullptr;
  if (Qor().Qor_GetProperties(item, QOR_PROPERTY_VM_MOID, &moid, QOR_PROPERTY_NONE) == QOR_OK && moid) {
    listed.moid = moid;
    Qor().Qor_FreeBuffer(moid);
  }
  auto* self = static_cast<VmSession*>(context);
  std::lock_guard<std::mutex> lock(self->mFoundLock);
  self->mFound.push_back(std::move(listed));
}

QorError VmSession::ListVms(std::vector<ListedVm>& vms) {
  QorHandle job = Qor().QorHost_FindItems(mHost, QOR_FIND_RUNNING_VMS, 0, QOR_TIMEOUT_INFINITE, OnFoundItem, this);
  QorError error = Finish(job, nullptr);
  std::lock_guard<std::mutex> lock(mFoundLock);
  vms.swap(mFound);
  mFound.clear();
  return error;
}

VmSession::Outcome VmSession::FindAndOpen(const std::string& moid) {
  Outcome outcome;
  for (int listing = 0; listing < kListings && !moid.empty(); ++listing) {
    std::vector<ListedVm> vms;
    outcome.error = ListVms(vms);
    if (outcome.error != QOR_OK) {
      outcome.result = Result::kSearchFailed;
      return outcome;
    }
    auto listed = std::find_if(vms.begin(), vms.end(), [&](const ListedVm& vm) { return vm.moid == moid; });
    if (listed == vms.end()) break;
    QorHandle vm = 0;
    QorError error = Finish(Qor().QorHost_OpenVM(mHost, listed->path.c_str(), 0, 0, nullptr, nullptr), &vm);
    if (error == QOR_OK && vm && HasId(vm, moid)) {
      mVm = vm;
      outcome.result = Result::kOpened;
      outcome.error = QOR_OK;
      outcome.vmName = utils::ToWideString(utils::GetVMNameFromPath(listed->path));
      if (outcome.vmName.empty()) outcome.vmName = utils::ToWideString(listed->path);
      return outcome;
    }
    if (vm) Qor().Qor_ReleaseHandle(vm);
    if (error != QOR_OK && error != QOR_E_VM_NOT_FOUND) {
      outcome.error = error;
      outcome.result = Result::kSearchFailed;
      return outcome;
    }
    // Another VM, or none, is at that path now: it was renamed since the listing.
  }
  outcome.result = Result::kVmNotFound;
  outcome.error = QOR_E_VM_NOT_FOUND;
  return outcome;
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
  return text ? utils::ToWideString(text) : std::wstring(L"Unknown error");
}

}  // namespace lumacon
