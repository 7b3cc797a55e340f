#include "backend/QorVM.h"

#include <algorithm>
#include <chrono>

#include "backend/JobContext.h"
#include "backend/QorErrorText.h"
#include "backend/QorLibrary.h"
#include "log/Log.h"

namespace {

using VMJob = JobContext<QorVM>;

}  // namespace

std::shared_ptr<QorVM> QorVM::Create(const std::string& name, const std::string& id, const std::string& cfxPath,
                                     const std::shared_ptr<QorVMCollection>& owner) {
  // One allocation for the VM and its count: a refresh makes thousands.
  struct Made : QorVM {
    Made(const std::string& name, const std::string& id, const std::string& cfxPath,
         const std::shared_ptr<QorVMCollection>& owner)
        : QorVM(name, id, cfxPath, owner) {}
  };
  return std::make_shared<Made>(name, id, cfxPath, owner);
}

QorVM::QorVM(const std::string& name, const std::string& id, const std::string& cfxPath,
             const std::shared_ptr<QorVMCollection>& owner)
    : mName(name), mCfxPath(cfxPath), mOwner(owner), mId(id) {
  InitOrderKeys();
}

QorVM::~QorVM() {
  mDestroying = true;
  ReleaseHandle(TakeHandle());
}

QorHandle QorVM::TakeHandle() {
  std::lock_guard<std::mutex> hold(mLock);
  const QorHandle handle = mHandle;
  mHandle = 0;
  ++mOpenSerial;  // an open still under way is now stale
  mOpenState = STATE_CLOSED;
  return handle;
}

void QorVM::ReleaseHandle(QorHandle handle) {
  // Outside mLock: the cancel waits for an event handler call in progress, and whatever
  // that handler's listeners do must not be able to block on this VM.
  if (!handle) return;
  Qor().Qor_CancelEventSubscription(handle, QOR_EVENT_VM_STATE_CHANGED, &QorVM::OnVMEvent, this);
  Qor().Qor_ReleaseHandle(handle);
}

bool QorVM::RunInConsole() {
  std::shared_ptr<QorVMCollection> owner = mOwner.lock();
  if (!owner) {
    Log("%s: VM '%s' no longer belongs to a server.\n", "QorVM::RunInConsole", mName.c_str());
    return false;
  }
  return owner->RunVMInConsole(*this);
}

std::string QorVM::GetId() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mId;
}

int QorVM::GetOpenState() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mOpenState;
}

uint64_t QorVM::GetLastError() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mLastError;
}

std::string QorVM::GetErrorText() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mErrorText;
}

void QorVM::Open(bool background) {
  std::shared_ptr<QorVMCollection> owner = mOwner.lock();
  const QorHandle host = owner ? owner->GetHostHandle() : 0;
  uint64_t serial = 0;
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mOpenState == STATE_OPENING || mOpenState == STATE_OPEN_SUCCESS || host == 0) {
      Log("%s: Unable to open VM. mOpenState=%d, hostHandle=%d.\n", "QorVM::Open", mOpenState,
          static_cast<int>(host));
      return;
    }
    // Set before the request goes out, so the answer can never be overwritten by it.
    mOpenState = STATE_OPENING;
    serial = ++mOpenSerial;
    mOpenInBackground = background;
  }
  mOpenStateChanged.emit();

  VMJob* context = new VMJob{std::static_pointer_cast<QorVM>(shared_from_this()), serial, host};
  if (Qor().QorHost_OpenVM(host, mCfxPath.c_str(), 0, 0, &QorVM::OnVMOpened, context) != 0) return;
  // No job: the library will never call back.
  delete context;
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mOpenSerial != serial) return;
    mOpenState = STATE_OPEN_FAILED;
    mLastError = QOR_E_FAIL;
    mErrorText = QorErrorText(QOR_E_FAIL);
  }
  Log("%s: The library did not start opening VM '%s'.\n", "QorVM::Open", mName.c_str());
  mOpenStateChanged.emit();
}

void QorVM::OnVMOpened(QorHandle job, int eventType, QorHandle moreInfo, void* clientData) {
  (void)moreInfo;
  const char* const kName = "QorVM::OnVMOpened";
  if (eventType != QOR_EVENT_JOB_COMPLETED || !clientData) return;
  std::unique_ptr<VMJob> context(static_cast<VMJob*>(clientData));
  std::shared_ptr<QorVM> vm = context->target.lock();

  QorError jobError = QOR_OK;
  QorHandle result = 0;
  const QorError callError =
      Qor().Qor_GetProperties(job, QOR_PROPERTY_JOB_ERROR, &jobError, QOR_PROPERTY_JOB_RESULT, &result,
                              QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  const bool succeeded = callError == QOR_OK && jobError == QOR_OK && result != 0;

  if (!vm || vm->mDestroying) {
    if (result) Qor().Qor_ReleaseHandle(result);
    return;
  }

  if (succeeded) {
    {
      std::unique_lock<std::mutex> hold(vm->mLock);
      if (vm->mOpenSerial != context->serial) {
        hold.unlock();
        Log("%s: VM '%s' was closed while it opened; its handle is given back.\n", kName, vm->mName.c_str());
        Qor().Qor_ReleaseHandle(result);
        return;
      }
      Log("%s: Successfully opened VM '%s'.\n", kName, vm->mName.c_str());
      vm->mHandle = result;
      // Subscribed under the lock: a Close in between could otherwise miss the
      // subscription and leave it pointing at a VM that is later freed.
      const QorError subscribeError =
          Qor().Qor_SubscribeToEvents(result, QOR_EVENT_VM_STATE_CHANGED, &QorVM::OnVMEvent, vm.get());
      if (subscribeError != QOR_OK) {
        Log("%s: Subscribing to the events of VM '%s' failed with error %I64d (%s).\n", kName, vm->mName.c_str(),
            SignedError(subscribeError), QorErrorText(subscribeError));
      }
      char* moid = nullptr;
      const QorError moidError = Qor().Qor_GetProperties(result, QOR_PROPERTY_VM_MOID, &moid, QOR_PROPERTY_NONE);
      if (moidError == QOR_OK && moid) {
        Log("%s: VM '%s' has moid '%s'.\n", kName, vm->mName.c_str(), moid);
        vm->mId = moid;
        Qor().Qor_FreeBuffer(moid);
      } else {
        Log("%s: Failed to retrieve moid of VM '%s'. Err=%I64d (%s).\n", kName, vm->mName.c_str(),
            SignedError(moidError), QorErrorText(moidError));
      }
      vm->mOpenState = STATE_OPEN_SUCCESS;
    }
    vm->mOpenStateChanged.emit();
    return;
  }

  if (result) Qor().Qor_ReleaseHandle(result);
  {
    std::lock_guard<std::mutex> hold(vm->mLock);
    if (vm->mOpenSerial != context->serial) {
      Log("%s: Ignoring the failed open of VM '%s', which was closed meanwhile.\n", kName, vm->mName.c_str());
      return;
    }
    vm->mOpenState = STATE_OPEN_FAILED;
    if (jobError != QOR_E_CONNECTION_LOST) {
      vm->mLastError = jobError != QOR_OK ? jobError : callError;
      vm->mErrorText = QorErrorText(vm->mLastError);
    }
  }
  vm->mOpenStateChanged.emit();
  if (jobError == QOR_E_CONNECTION_LOST) {
    Log("%s: Opening VM '%s' failed because the server connection was lost.\n", kName, vm->mName.c_str());
    if (std::shared_ptr<QorVMCollection> owner = vm->mOwner.lock()) owner->OnConnectionLost(context->host);
  } else if (jobError != QOR_OK) {
    Log("%s: Opening VM '%s' failed with asyncError %I64d (%s).\n", kName, vm->mName.c_str(), SignedError(jobError),
        QorErrorText(jobError));
  } else {
    Log("%s: Opening VM '%s' failed with error %I64d (%s).\n", kName, vm->mName.c_str(), SignedError(callError),
        QorErrorText(callError));
  }
}

void QorVM::Close() {
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mOpenState == STATE_CLOSED) return;
  }
  const QorHandle handle = TakeHandle();
  if (handle) {
    Log("%s: Releasing handle of VM '%s'.\n", "QorVM::Close", mName.c_str());
    ReleaseHandle(handle);
  }
  mOpenStateChanged.emit();
}

void QorVM::Detach() { ReleaseHandle(TakeHandle()); }

bool QorVM::GetPowerState(int32_t& state) const {
  QorHandle handle = 0;
  {
    std::lock_guard<std::mutex> hold(mLock);
    handle = mHandle;
  }
  const QorError error = Qor().Qor_GetProperties(handle, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE);
  if (error != QOR_OK) {
    Log("%s: Failed with error %I64d.\n", "QorVM::GetPowerState", SignedError(error));
    return false;
  }
  return true;
}

bool QorVM::PowerOn() { return StartPowerOperation(PowerAction::On); }
bool QorVM::PowerOff() { return StartPowerOperation(PowerAction::Off); }
bool QorVM::Suspend() { return StartPowerOperation(PowerAction::Suspend); }
bool QorVM::Reset() { return StartPowerOperation(PowerAction::Reset); }

namespace {
uint64_t SteadyMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}
}  // namespace

bool QorVM::IsOwnPowerOperationPending() const {
  const uint64_t start = mOwnOperationStart;
  return start != 0 && SteadyMs() - start < kOwnOperationMs;
}

bool QorVM::StartPowerOperation(PowerAction action) {
  mOwnOperationStart = std::max<uint64_t>(SteadyMs(), 1);
  QorHandle handle = 0;
  {
    std::lock_guard<std::mutex> hold(mLock);
    handle = mHandle;
  }
  VMJob* context = new VMJob{std::static_pointer_cast<QorVM>(shared_from_this()), 0, 0};
  QorHandle job = 0;
  switch (action) {
    case PowerAction::On:
      job = Qor().QorVM_PowerOn(handle, 0, 0, &QorVM::OnPowerOperationDone, context);
      break;
    case PowerAction::Off:
      job = Qor().QorVM_PowerOff(handle, 0, &QorVM::OnPowerOperationDone, context);
      break;
    case PowerAction::Suspend:
      job = Qor().QorVM_Suspend(handle, 0, &QorVM::OnPowerOperationDone, context);
      break;
    case PowerAction::Reset:
      job = Qor().QorVM_Reset(handle, 0, &QorVM::OnPowerOperationDone, context);
      break;
  }
  if (job != 0) return true;
  delete context;
  EndOwnPowerOperation();
  Log("%s: The library did not start the power operation on VM '%s'.\n", "QorVM::StartPowerOperation",
      mName.c_str());
  return false;
}

void QorVM::OnPowerOperationDone(QorHandle job, int eventType, QorHandle moreInfo, void* clientData) {
  (void)moreInfo;
  if (eventType != QOR_EVENT_JOB_COMPLETED || !clientData) return;
  std::unique_ptr<VMJob> context(static_cast<VMJob*>(clientData));
  std::shared_ptr<QorVM> vm = context->target.lock();
  if (!vm || vm->mDestroying) {
    Qor().Qor_ReleaseHandle(job);
    return;
  }
  QorError jobError = QOR_OK;
  const QorError callError = Qor().Qor_GetProperties(job, QOR_PROPERTY_JOB_ERROR, &jobError, QOR_PROPERTY_NONE);
  // A failed operation changes nothing: what changes next is not its doing.
  if (jobError != QOR_OK || callError != QOR_OK) vm->EndOwnPowerOperation();
  if (jobError != QOR_OK) {
    Log("%s: Power operation on VM '%s' failed with asyncErr=%I64d (%s).\n", "QorVM::OnPowerOperationDone",
        vm->mName.c_str(), SignedError(jobError), QorErrorText(jobError));
  } else if (callError != QOR_OK) {
    Log("%s: Power operation on VM '%s' failed with err=%I64d (%s).\n", "QorVM::OnPowerOperationDone",
        vm->mName.c_str(), SignedError(callError), QorErrorText(callError));
  }
  Qor().Qor_ReleaseHandle(job);
}

void QorVM::OnVMEvent(QorHandle handle, int eventType, QorHandle moreInfo, void* clientData) {
  (void)handle;
  (void)eventType;
  (void)moreInfo;
  // The subscription is cancelled before the VM is freed, so the context is valid here.
  QorVM* vm = static_cast<QorVM*>(clientData);
  if (!vm || vm->mDestroying) return;
  vm->mPowerStateChanged.emit();
}
