#include "backend/QorLibrary.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

QorFunctions gFunctions;
std::atomic<bool> gBound{false};
const char* gMissing = nullptr;

std::mutex gJobsLock;
std::condition_variable gJobsDone;
size_t gJobs = 0;

}  // namespace

bool QorLibrary::Bind(HMODULE module) {
  QorFunctions resolved;
  gMissing = nullptr;
#define QOR_LIBRARY_RESOLVE(name)                                                        \
  resolved.name = reinterpret_cast<decltype(resolved.name)>(                             \
      reinterpret_cast<void*>(module ? GetProcAddress(module, #name) : nullptr));        \
  if (!resolved.name && !gMissing) gMissing = #name;
  QOR_LIBRARY_EXPORTS(QOR_LIBRARY_RESOLVE)
#undef QOR_LIBRARY_RESOLVE
  if (gMissing) return false;
  gFunctions = resolved;
  gBound = true;
  return true;
}

void QorLibrary::Unbind() { gBound = false; }

bool QorLibrary::IsBound() { return gBound; }

const char* QorLibrary::MissingExport() { return gMissing; }

const QorFunctions& QorLibrary::Api() { return gFunctions; }

size_t QorLibrary::JobsInFlight() {
  std::lock_guard<std::mutex> hold(gJobsLock);
  return gJobs;
}

bool QorLibrary::WaitForJobs(unsigned timeoutMs) {
  std::unique_lock<std::mutex> hold(gJobsLock);
  return gJobsDone.wait_for(hold, std::chrono::milliseconds(timeoutMs), [] { return gJobs == 0; });
}

QorJobToken::QorJobToken() {
  std::lock_guard<std::mutex> hold(gJobsLock);
  ++gJobs;
}

QorJobToken::~QorJobToken() {
  std::lock_guard<std::mutex> hold(gJobsLock);
  if (--gJobs == 0) gJobsDone.notify_all();
}
