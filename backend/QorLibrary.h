// The automation library's functions, resolved from the loaded qor.dll. The program
// loads the DLL by full path after start-up, so it cannot import it at link time;
// everything calls the library through Api().
#pragma once

#include <windows.h>

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
  // empty, when one is missing; MissingExport() then names it for the caller's log.
  static bool Bind(HMODULE module);
  static void Unbind();
  static bool IsBound();
  static const char* MissingExport();
  // Valid after a successful Bind.
  static const QorFunctions& Api();
};
