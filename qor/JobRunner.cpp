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
  return StartJob(WorkerPool::Instance(), name, callback, clientData, std::move(work));
}

QorHandle StartJob(WorkerPool& pool, const char* name, QorEventProc callback, void* clientData, JobWork work) {
  std::shared_ptr<Job> job = std::make_shared<Job>();
  QorHandle handle = HandleTable::Instance().Add(job);
  if (!handle) return 0;
  auto run = [job, handle, callback, clientData, name, work = std::move(work)]() mutable {
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
  // The caller waits for event 2 whatever happens; with no thread to run the job it
  // arrives here, before StartJob returns.
  auto dropped = [job, handle, callback, clientData, name] {
    Trace("%s: job %u could not be started", name, handle);
    job->Finish(QOR_E_OUT_OF_MEMORY, 0);
    if (callback) callback(handle, QOR_EVENT_JOB_COMPLETED, 0, clientData);
  };
  pool.Post(std::move(run), std::move(dropped));
  return handle;
}

}  // namespace qor
