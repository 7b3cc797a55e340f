// The console program's run: read the command line and the password, ask for credentials
// when none arrived, log in on a worker thread, then show the VM's power state live.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "console/ConsoleOptions.h"
#include "console/ConsoleWindow.h"
#include "console/HostArgument.h"
#include "console/SecretText.h"
#include "console/VmSession.h"

namespace lumacon {

class ConsoleApp {
 public:
  explicit ConsoleApp(HINSTANCE instance) : mInstance(instance) {}
  ~ConsoleApp();
  ConsoleApp(const ConsoleApp&) = delete;
  ConsoleApp& operator=(const ConsoleApp&) = delete;

  // The process's exit code.
  int Run();

 private:
  static constexpr UINT kSessionDone = WM_APP + 1;  // lParam: VmSession::Outcome*, owned by the receiver
  static constexpr UINT kPowerChanged = WM_APP + 2;

  // False when the credentials are not there (the window then says why).
  bool SettleCredentials();
  bool RecordForTests();
  bool LoadAutomationLibrary();
  void StartSession();
  void OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnSessionDone(const VmSession::Outcome& outcome);
  void ShowPowerState();
  void ShowError(const std::wstring& text);
  int MessageLoop();

  HINSTANCE mInstance;
  ConsoleOptions mOptions;
  HostArgument mServer;
  std::wstring mUser;
  SecretText mPassword;
  std::wstring mPasswordSource = L"none";
  ConsoleWindow mWindow;
  HMODULE mLibrary = nullptr;
  VmSession mSession;
  std::thread mWorker;
  std::atomic<bool> mWorkerDone{false};
};

}  // namespace lumacon
