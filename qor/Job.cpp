#include "qor/Job.h"

#include "qor/HandleTable.h"
#include "qor/Trace.h"

namespace qor {

Job::~Job() {
  if (mResult) HandleTable::Instance().Release(mResult);
}

void Job::SetRunnerThread(DWORD threadId) {
  std::lock_guard<std::mutex> hold(mLock);
  mRunnerThread = threadId;
}

void Job::Finish(QorError error, QorHandle result) {
  {
    std::lock_guard<std::mutex> hold(mLock);
    mFinished = true;
    mError = error;
    mResult = result;
    mRunnerThread = 0;
  }
  mFinishedSignal.notify_all();
}

QorError Job::WaitUntilFinished() {
  std::unique_lock<std::mutex> hold(mLock);
  if (!mFinished && mRunnerThread == GetCurrentThreadId()) {
    Trace("QorJob_Wait: called from the job's own handler before the job ended");
    return QOR_E_JOB_NOT_FINISHED;
  }
  mFinishedSignal.wait(hold, [this] { return mFinished; });
  return QOR_OK;
}

bool Job::IsFinished() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mFinished;
}

QorError Job::CheckProperty(int id) const {
  if (id != QOR_PROPERTY_JOB_ERROR && id != QOR_PROPERTY_JOB_RESULT) return QOR_E_UNSUPPORTED_PROPERTY;
  return IsFinished() ? QOR_OK : QOR_E_JOB_NOT_FINISHED;
}

QorError Job::ReadProperty(int id, void* out) {
  std::lock_guard<std::mutex> hold(mLock);
  if (!mFinished) return QOR_E_JOB_NOT_FINISHED;
  if (id == QOR_PROPERTY_JOB_ERROR) {
    *static_cast<QorError*>(out) = mError;
    return QOR_OK;
  }
  if (id == QOR_PROPERTY_JOB_RESULT) {
    // The caller gets a reference of its own; the job keeps its one until it is freed.
    if (mResult) HandleTable::Instance().AddRef(mResult);
    *static_cast<QorHandle*>(out) = mResult;
    return QOR_OK;
  }
  return QOR_E_UNSUPPORTED_PROPERTY;
}

}  // namespace qor
