#include "qor/JobRunner.h"

#include <new>
#include <string>

#include "qor/HandleTable.h"
#include "qor/Job.h"
#include "qor/Trace.h"
#include "qor/WorkerPool.h"

namespace qor {
namespace {

JobOutcome RunWork(const char* name, JobWork& work, JobEvents& events) {
  try {
    return work(events);
  } catch (const std::bad_alloc&) {
    Trace("%s: out of memory", name);
    return JobOutcome{QOR_E_OUT_OF_MEMORY, 0};
  } catch (const std::exception& e) {
    Trace("%s: failed with an exception: %s", name, e.what());
    return JobOutcome{QOR_E_FAIL, 0};
  }
}

}  // namespace

bool JobEvents::ReportFoundItem(std::shared_ptr<HandleObject> item) {
  HandleTable& table = HandleTable::Instance();
  QorHandle handle = table.Add(std::move(item));
  if (!handle) return false;
  if (mCallback) mCallback(mJob, QOR_EVENT_FIND_ITEM, handle, mClientData);
  table.Release(handle);
  return true;
}

QorHandle StartJob(const char* name, QorEventProc callback, void* clientData, JobWork work) {
  std::shared_ptr<Job> job = std::make_shared<Job>();
  QorHandle handle = HandleTable::Instance().Add(job);
  if (!handle) return 0;
  auto task = [job, handle, callback, clientData, name, work = std::move(work)]() mutable {
    job->SetRunnerThread(GetCurrentThreadId());
    JobEvents events(handle, callback, clientData);
    JobOutcome outcome = RunWork(name, work, events);
    work = nullptr;  // free what the work captured before the handler runs
    if (outcome.error != QOR_OK) {
      Trace("%s: job %u failed with %llu", name, handle, static_cast<unsigned long long>(outcome.error));
    }
    job->Finish(outcome.error, outcome.result);
    if (callback) callback(handle, QOR_EVENT_JOB_COMPLETED, 0, clientData);
  };
  if (!WorkerPool::Instance().Post(std::move(task))) {
    Trace("%s: the job could not be started", name);
    job->Finish(QOR_E_OUT_OF_MEMORY, 0);
  }
  return handle;
}

}  // namespace qor
