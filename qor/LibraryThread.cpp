#include "qor/LibraryThread.h"

#include <windows.h>

#include "qor/Trace.h"

namespace qor {
namespace {

struct ThreadStart {
  std::function<void()> body;
  HMODULE module;
};

DWORD WINAPI ThreadMain(void* parameter) {
  ThreadStart* start = static_cast<ThreadStart*>(parameter);
  HMODULE module = start->module;
  try {
    start->body();
  } catch (...) {
    Trace("LibraryThread: a library thread ended with an exception");
  }
  delete start;
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

HMODULE PinOwnModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&ThreadMain), &module)) {
    Trace("LibraryThread: GetModuleHandleExW failed with %lu", GetLastError());
    return nullptr;
  }
  return module;
}

}  // namespace

bool StartLibraryThread(std::function<void()> body) {
  ThreadStart* start = new ThreadStart{std::move(body), PinOwnModule()};
  HANDLE thread = CreateThread(nullptr, 0, ThreadMain, start, 0, nullptr);
  if (!thread) {
    Trace("LibraryThread: CreateThread failed with %lu", GetLastError());
    if (start->module) FreeLibrary(start->module);
    delete start;
    return false;
  }
  CloseHandle(thread);
  return true;
}

}  // namespace qor
