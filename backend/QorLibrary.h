// The automation library's functions, resolved from the loaded qor.dll. The program
// loads the DLL by full path after start-up, so it cannot import it at link time;
// everything calls the library through Api().
#pragma once

#include <windows.h>

#include <cstddef>

#include "backend/QorApi.h"

#define QOR_LIBRARY_EXPORTS(X)                                                                       \
  X(QorHost_Connect) X(QorHost_Disconnect) X(QorHost_FindItems) X(QorHost_OpenVM) X(QorVM_PowerOn)  \
  X(QorVM_PowerOff) X(QorVM_Suspend) X(QorVM_Reset) X(QorJob_Wait) X(Qor_SubscribeToEvents)          \
  X(Qor_CancelEventSubscription) X(Qor_GetProperties) X(Qor_AddRefHandle) X(Qor_ReleaseHandle)      \
  X(Qor_FreeBuffer) X(Qor_GetErrorText)

struct QorFunctions {
#define QOR_LIBRARY_MEMBER(name) decltype(&::name) name = nullptr;
  QOR_LIBRARY_EXPORTS(QOR_LIBRARY_MEMBER)
#undef QOR_LIBRARY_MEMBER
};

class QorLibrary {
 public:
  // Resolves every export of an already loaded module. False, with the table left
  // unchanged, when one is missing; MissingExport() then names it for the caller's log.
  static bool Bind(HMODULE module);
  // Marks the library as gone. The table itself is kept: a handler still running on a
  // library thread may read it, and rewriting it under that thread would be a race.
  static void Unbind();
  static bool IsBound();
  static const char* MissingExport();
  // Valid after a successful Bind.
  static const QorFunctions& Api();

  // Asynchronous jobs whose handler has not finished yet (see QorJobToken).
  static size_t JobsInFlight();
  // Waits up to timeoutMs for every such job to end; false when some are still running.
  static bool WaitForJobs(unsigned timeoutMs);
};

// The library's table, for call sites: Qor().QorHost_Connect(...).
inline const QorFunctions& Qor() { return QorLibrary::Api(); }
// An error code as the log prints it (%I64d): the library's codes are signed values.
inline long long SignedError(uint64_t error) { return static_cast<long long>(error); }

// Held by a job's handler context from the call that starts the job until the handler's
// last call returns (the context's deletion), so that tear-down knows when no library
// thread can call back into the program any more.
class QorJobToken {
 public:
  QorJobToken();
  ~QorJobToken();
  QorJobToken(const QorJobToken&) = delete;
  QorJobToken& operator=(const QorJobToken&) = delete;
};
