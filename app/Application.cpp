#include "app/Application.h"

#include <objbase.h>

#include <clocale>
#include <memory>
#include <string>

#include "app/AutomationLibrary.h"
#include "app/CommandLine.h"
#include "app/CrashHandler.h"
#include "app/DataFolder.h"
#include "app/Maintenance.h"
#include "app/ShellNames.h"
#include "app/SingleInstance.h"
#include "app/StartupWork.h"
#include "backend/RecentUse.h"
#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "ui/popup/PopupWindow.h"
#include "ui/window/Messages.h"
#include "ui/window/Module.h"

namespace shell {
namespace {

constexpr const char kName[] = "wWinMain";

void ShowInitFailed(HINSTANCE instance) {
  MessageBoxW(GetActiveWindow(), utils::LoadStringResource(IDS_INIT_FAILED).c_str(),
              utils::LoadStringResource(IDS_APP_TITLE).c_str(), MB_OK | MB_SETFOREGROUND);
}

}  // namespace

int RunApplication(HINSTANCE instance, const wchar_t* commandLine) {
  const CommandLineOption option = ParseCommandLine(commandLine);
  utils::InstallCrashHandler();  // before any option is acted on

  if (option == CommandLineOption::KILL) {
    utils::KillOtherInstances();
    return 0;
  }
  if (option == CommandLineOption::REMOVE_PREFS) {
    const std::wstring folder = utils::GetDataFolder();
    if (!folder.empty()) utils::DeleteFilesInFolder(folder.c_str(), L"*.*");
    return 0;
  }

  // A second start only wakes the running instance's popup.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingletonMutexName);
  const DWORD mutexError = GetLastError();
  if (mutex && mutexError == ERROR_ALREADY_EXISTS) {
    WakeRunningInstance();
    CloseHandle(mutex);
    return -1;
  }

  ui::Module::Init(instance);
  OpenLog();
  if (!mutex && mutexError == ERROR_ACCESS_DENIED) {
    // Held by an instance in another security context (an elevated one): two instances
    // would overwrite each other's prefs.txt.
    Log("%s: CreateMutexW was denied access (error code 0x%08x): an instance of another security "
        "context is running; waking it and exiting.\n",
        kName, static_cast<unsigned>(mutexError));
    WakeRunningInstance();
    CloseLog();
    return -1;
  }
  if (!mutex)
    Log("%s: CreateMutexW failed with error code 0x%08x; running without the single-instance "
        "guard.\n",
        kName, static_cast<unsigned>(mutexError));
  if (!setlocale(LC_ALL, "English")) Log("%s: setlocale(LC_ALL, \"English\") failed.\n", kName);

  Prefs& prefs = Prefs::CreateInstance(utils::GetDataFolder());  // loads prefs.txt
  prefs.SetServerSource(&State::Instance());
  BindPreferencesToServices();

  const std::wstring programFolder = ProgramFolder();
  HMODULE automation = LoadAutomationLibrary(programFolder);
  if (!automation) {
    // Nothing is saved on this path: the log stays as written (every line is already flushed).
    ShowInitFailed(instance);
    if (mutex) CloseHandle(mutex);
    return -1;
  }

  // The rows hand screen readers accessible objects, which COM marshals to them.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(com)) {
    Log("%s: CoInitializeEx failed with 0x%08x; screen readers may not read the power marks.\n", kName,
        static_cast<unsigned>(com));
  }
  auto popup = std::make_unique<ui::PopupWindow>(option == CommandLineOption::STARTUP, State::Instance(), prefs,
                                                 MakePopupActions());
  int exitCode;
  if (!popup->CreatePopup()) {
    // Without its window the program can do nothing; and with its servers perhaps not all
    // built, saving the preferences now could wipe saved servers, so this path saves nothing.
    Log("%s: Failed to create the popup window with error code 0x%08x.\n", kName,
        static_cast<unsigned>(GetLastError()));
    popup.reset();
    ShowInitFailed(instance);
    exitCode = -1;
  } else {
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (got < 0) {
      Log("%s: GetMessageW failed with error code 0x%08x.\n", kName,
          static_cast<unsigned>(GetLastError()));
      exitCode = -1;
    } else {
      exitCode = static_cast<int>(msg.wParam);
    }

    // Tear-down, in this order. The popup's rows hold servers: it goes before the State.
    popup.reset();
    Prefs::DestroyInstance();  // writes prefs.txt from the live State
    State::DestroyInstance();  // every server logs off and frees its VMs
  }

  UnloadAutomationLibrary(automation);
  if (SUCCEEDED(com)) CoUninitialize();
  CloseLog();
  if (mutex) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  return exitCode;
}

}  // namespace shell
