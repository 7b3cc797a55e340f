// The console's one server session, through the automation library: log in, find the VM
// by its managed-object id, open it and follow its power state.
//
// The library opens VMs by configuration path only; the listing gives each VM's path and
// id (properties 4010 and 278 of the found items), so only the wanted VM is opened.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "backend/QorApi.h"
#include "console/HostArgument.h"
#include "console/SecretText.h"

namespace lumacon {

class VmSession {
 public:
  enum class Result { kOpened, kLoginRefused, kConnectFailed, kVmNotFound, kSearchFailed };
  struct Outcome {
    Result result = Result::kConnectFailed;
    QorError error = QOR_OK;
    std::wstring vmName;
  };

  VmSession() = default;
  ~VmSession() { Close(); }
  VmSession(const VmSession&) = delete;
  VmSession& operator=(const VmSession&) = delete;

  // Blocking; run on a worker thread. The password is wiped once the library has it.
  Outcome Open(const HostArgument& server, const std::string& user, SecretText& password,
               const std::string& moid);

  // After a successful Open, on the window's thread: every change of the VM's state posts
  // message to window.
  bool Follow(HWND window, UINT message);
  bool ReadPowerState(int32_t& bits) const;
  // Ends the subscription, releases the VM and logs off. Idempotent.
  void Close();

  static std::wstring ErrorText(QorError error);

 private:
  struct ListedVm {
    std::string path;
    std::string moid;  // empty when the listing gave none
  };
  static void OnFoundItem(QorHandle job, int eventType, QorHandle item, void* context);
  static void OnVmEvent(QorHandle vm, int eventType, QorHandle info, void* context);
  QorError ListVms(std::vector<ListedVm>& vms);
  // Lists the VMs and opens the one listed with the id; mVm is then that VM. kVmNotFound
  // when no VM has it; kSearchFailed with the error when listing or opening failed.
  Outcome FindAndOpen(const std::string& moid);
  static bool HasId(QorHandle vm, const std::string& moid);

  // A VM renamed between the listing and the open is no longer at the listed path.
  static constexpr int kListings = 2;

  QorHandle mHost = 0;
  QorHandle mVm = 0;
  bool mFollowing = false;
  std::atomic<HWND> mWindow{nullptr};
  UINT mMessage = 0;
  std::mutex mFoundLock;
  std::vector<ListedVm> mFound;
};

}  // namespace lumacon
