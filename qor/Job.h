// An asynchronous operation: its error and result handle once it has ended.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>

#include "qor/HandleObject.h"

namespace qor {

class Job : public HandleObject {
 public:
  static constexpr HandleKind kKind = HandleKind::Job;
  ~Job() override;
  HandleKind Kind() const override { return kKind; }

  void SetRunnerThread(DWORD threadId);
  // result: 0 or one reference that the job now owns (given out again through 3010).
  void Finish(QorError error, QorHandle result);
  // Blocks until Finish. Called on the thread that runs the job (from one of its own
  // handler calls) it would never return: QOR_E_JOB_NOT_FINISHED at once.
  QorError WaitUntilFinished();
  bool IsFinished() const;

  QorError CheckProperty(int id) const override;
  QorError ReadProperty(int id, void* out) override;

 private:
  mutable std::mutex mLock;
  std::condition_variable mFinishedSignal;
  bool mFinished = false;
  QorError mError = QOR_OK;
  QorHandle mResult = 0;
  DWORD mRunnerThread = 0;
};

}  // namespace qor
