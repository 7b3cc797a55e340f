// Helpers for tests that run the program as real processes: child processes that are always
// cleaned up, and finding their windows.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/Polling.h"
#include "tests/support/ScratchFolder.h"

namespace shelltest {

// Scratch folders and the file helpers (tests/support) serve these tests under this name too.
using namespace testfs;

// Registered message that makes shell_test_host destroy the window it is posted to.
constexpr wchar_t kDestroyWindowMessage[] = L"ZandorWickerlyn.Test.DestroyWindow";

// The folder of the running test program (the build's bin folder).
std::wstring ProgramFolder();

// A started child process; terminated in the destructor if it is still running, so that a
// failed assertion never leaves a process behind.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts "exe" args; it inherits this process's environment.
  bool Start(const std::wstring& exe, const std::wstring& args);
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitForExit(DWORD milliseconds);
  DWORD Id() const { return mInfo.dwProcessId; }
  bool Running() const;
  void Terminate();

 private:
  PROCESS_INFORMATION mInfo = {};
};

// Polls until a top-level window of the class (and caption, if given) that belongs to the
// process exists (processId 0: any process). Null when none appeared in time.
inline HWND WaitForWindow(const wchar_t* className, const wchar_t* caption, DWORD processId, DWORD milliseconds) {
  return polling::WaitForTopLevel(className, caption, processId, false, milliseconds);
}
using polling::WaitUntil;

// The text of a message box's message, then dismisses it with OK.
std::wstring ReadAndDismissMessageBox(HWND box);

// Ends every process that owns a window of the popup's class (left over by an earlier test).
void EndLeftoverInstances();

}  // namespace shelltest
