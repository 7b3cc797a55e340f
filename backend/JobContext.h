// What a library job's handler receives as its context: a weak reference to the object
// that started the job, so a handler that fires after the object is gone finds nothing
// instead of freed memory. Allocated when the job starts, freed by the handler at the
// job's completion event (the library's last call for a job).
#pragma once

#include <cstdint>
#include <memory>

#include "backend/QorApi.h"

template <class Target>
struct JobContext {
  std::weak_ptr<Target> target;
  uint64_t serial = 0;  // which request of the target this job answers
  QorHandle host = 0;   // the host handle the job used
};
