// A VM of a server, opened on demand through the automation library to read and change
// its power state and to learn its managed-object id.
//
// Library handlers never get a raw pointer to a QorVM that might be gone: each job
// carries a weak reference (freed when the job completes), and the event subscription,
// whose context is the VM itself, is cancelled before the VM is freed (the library
// calls no handler after Qor_CancelEventSubscription returns).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "backend/BackendSignal.h"
#include "backend/QorApi.h"
#include "backend/QorVMCollection.h"
#include "backend/VM.h"

class QorVM : public VM {
 public:
  enum {
    STATE_CLOSED = 0,
    STATE_OPENING = 1,
    STATE_OPEN_FAILED = 2,
    STATE_OPEN_SUCCESS = 3,
  };

  BackendSignal mPowerStateChanged;  // the power state may have changed (library thread)
  BackendSignal mOpenStateChanged;   // mOpenState changed

  static std::shared_ptr<QorVM> Create(const std::string& name, const std::string& id, const std::string& cfxPath,
                                       const std::shared_ptr<QorVMCollection>& owner);
  ~QorVM() override;

  const std::string& GetName() const override { return mName; }
  const std::string& GetSortName() const override { return mName; }
  const std::string& GetCfxPath() const override { return mCfxPath; }
  bool RunInConsole() override;

  std::string GetId() const;
  // The owning server, or null once it is gone.
  std::shared_ptr<QorVMCollection> GetOwner() const { return mOwner.lock(); }
  int GetOpenState() const;
  uint64_t GetLastError() const;
  std::string GetErrorText() const;

  // UI thread (Close also from a log-off on a library thread). background: opened for the
  // Favorites' state marks rather than by the user; ClaimOpen makes it the user's.
  void Open(bool background = false);
  void Close();
  bool GetPowerState(int32_t& state) const;
  // True when the library accepted the request; the result is only logged.
  bool PowerOn();
  bool PowerOff();
  bool Suspend();
  bool Reset();

  // Opened in the background and not claimed by the user since.
  bool IsOpenInBackground() const { return mOpenInBackground; }
  void ClaimOpen() { mOpenInBackground = false; }

  // A power operation this program started, until its end was seen (a steady state or a
  // failure) or two minutes passed: the state changes meanwhile are its own.
  bool IsOwnPowerOperationPending() const;
  void EndOwnPowerOperation() { mOwnOperationStart = 0; }
  static constexpr uint64_t kOwnOperationMs = 120000;

  // The owner is going away: give the library handle back without signals. The VM stays
  // a valid, closed object for whoever still holds it.
  void Detach();

 protected:
  QorVM(const std::string& name, const std::string& id, const std::string& cfxPath,
        const std::shared_ptr<QorVMCollection>& owner);

 private:
  enum class PowerAction { On, Off, Suspend, Reset };
  bool StartPowerOperation(PowerAction action);
  // Closes the VM's state under mLock and hands out the handle it held (or 0).
  QorHandle TakeHandle();
  // Cancels the event subscription of that handle and gives it back to the library.
  void ReleaseHandle(QorHandle handle);

  static void OnVMOpened(QorHandle job, int eventType, QorHandle moreInfo, void* context);
  static void OnPowerOperationDone(QorHandle job, int eventType, QorHandle moreInfo, void* context);
  static void OnVMEvent(QorHandle handle, int eventType, QorHandle moreInfo, void* context);

  const std::string mName;
  const std::string mCfxPath;
  const std::weak_ptr<QorVMCollection> mOwner;

  // Guards the members below and the subscribe/cancel/release calls that go with mHandle.
  mutable std::mutex mLock;
  std::string mId;
  QorHandle mHandle = 0;
  int mOpenState = STATE_CLOSED;
  uint64_t mLastError = 0;
  std::string mErrorText;
  // Counts Open and Close calls, so that an open answer that arrives after a Close (or a
  // newer Open) is recognised as stale and its handle given back.
  uint64_t mOpenSerial = 0;
  std::atomic<bool> mDestroying{false};
  std::atomic<bool> mOpenInBackground{false};
  std::atomic<uint64_t> mOwnOperationStart{0};  // steady-clock milliseconds; 0 = none
};

using QorVMPtr = std::shared_ptr<QorVM>;
