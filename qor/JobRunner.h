// Runs an operation as a job on the worker pool and reports it to the caller's handler:
// event 8 for each found item the work reports, then event 2 when it has ended. The
// handler is called without any lock of the library held, so it may release the job
// and call the library again.
#pragma once

#include <functional>
#include <memory>

#include "backend/QorApi.h"
#include "qor/HandleObject.h"

namespace qor {

struct JobOutcome {
  QorError error = QOR_OK;
  QorHandle result = 0;  // one reference, handed to the job
};

class JobEvents {
 public:
  JobEvents(QorHandle job, QorEventProc callback, void* clientData)
      : mJob(job), mCallback(callback), mClientData(clientData) {}
  // Lends the item to one handler call (event 8); false when no handle could be made.
  bool ReportFoundItem(std::shared_ptr<HandleObject> item);

 private:
  QorHandle mJob;
  QorEventProc mCallback;
  void* mClientData;
};

using JobWork = std::function<JobOutcome(JobEvents&)>;

class WorkerPool;

// The returned job handle holds the caller's reference; 0 only when out of memory. A job
// that no thread can run still ends with event 2 (error QOR_E_OUT_OF_MEMORY), then on the
// calling thread before StartJob returns.
QorHandle StartJob(const char* name, QorEventProc callback, void* clientData, JobWork work);
QorHandle StartJob(WorkerPool& pool, const char* name, QorEventProc callback, void* clientData, JobWork work);

}  // namespace qor
