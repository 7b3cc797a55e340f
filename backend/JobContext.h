// What a library job's handler receives as its context: a weak reference to the object
// that started the job, so a handler that fires after the object is gone finds nothing
// instead of freed memory. Allocated when the job starts, freed by the handler at the
// job's completion event (the library's last call for a job). While it exists the job
// counts as in flight, so the library is not unloaded under its handler.
#pragma once

#include <cstdint>
#include <memory>

#include "backend/QorApi.h"
#include "backend/QorLibrary.h"

template <class Target>
struct JobContext {
  std::weak_ptr<Target> target;
  uint64_t serial = 0;  // which request of the target this job answers
  QorHandle host = 0;   // the host handle the job used
  QorJobToken inFlight;  // tear-down waits for it
};
