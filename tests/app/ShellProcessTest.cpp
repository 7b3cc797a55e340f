// The program as real processes: single instance, "/kill", "/removeprefs", a missing
// automation library, crash dumps, and the preferences kept across a run.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "res/resource.h"
#include "tests/app/ShellProcessFixture.h"
#include "tests/support/SimulatorFixture.h"
#include "ui/window/Messages.h"

namespace {

using namespace shelltest;

const wchar_t kTitle[] = L"Zandor Wickerlyn";

TEST_F(ShellProcess, SecondInstanceWakesTheFirstAndExitsWithMinusOne) {
  ChildProcess first;
  HWND popup = StartFirstInstance(first, L"/startup");
  ASSERT_TRUE(popup) << "first instance did not create its popup";
  EXPECT_FALSE(IsWindowVisible(popup)) << "started with Windows, the popup waits for the user";

  ChildProcess second;
  ASSERT_TRUE(second.Start(Wickerlyn(), L"/startup", Environment()));
  EXPECT_EQ(static_cast<DWORD>(-1), second.WaitForExit(15000));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) != FALSE; }, 5000)) << "popup not shown";
  // Active, so that it hides when the user clicks elsewhere (Windows' foreground lock needs
  // the second start's grant for this; Wine does not enforce the lock).
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == popup; }, 5000)) << "popup not active";
  EXPECT_TRUE(first.Running());

  RECT rect;
  GetWindowRect(popup, &rect);
  EXPECT_EQ(320, rect.right - rect.left);  // 96 DPI under the test display
  EXPECT_EQ(445, rect.bottom - rect.top);
}

// A window of the popup's class in this process, as the running instance would have.
class FakeRunningPopup {
 public:
  FakeRunningPopup() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kPopupClass;
    RegisterClassW(&wc);
    mHwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kPopupClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            wc.hInstance, nullptr);
  }
  // Gone before the fixture ends leftover instances, which would end this process.
  ~FakeRunningPopup() {
    DestroyWindow(mHwnd);
    UnregisterClassW(kPopupClass, GetModuleHandleW(nullptr));
  }
  HWND Hwnd() const { return mHwnd; }

 private:
  HWND mHwnd = nullptr;
};

TEST_F(ShellProcess, AMutexOfAnotherSecurityContextCountsAsARunningInstance) {
  // An elevated instance's mutex denies this one access; an empty access list does the same.
  SECURITY_DESCRIPTOR descriptor;
  ACL emptyList;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(InitializeAcl(&emptyList, sizeof emptyList, ACL_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyList, FALSE));
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  HANDLE mutex = CreateMutexW(&attributes, TRUE, L"Zandor Wickerlyn Singleton Mutex");
  ASSERT_TRUE(mutex);
  FakeRunningPopup running;
  ASSERT_TRUE(running.Hwnd());

  ScratchFolder data(L"shell-denied");
  ChildProcess second;
  ASSERT_TRUE(second.Start(TestHost(), L"run \"" + data.Path() + L"\"", Environment()));
  EXPECT_EQ(static_cast<DWORD>(-1), second.WaitForExit(15000)) << "a second instance runs:\n" << OnlyLogText();
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, running.Hwnd(), WM_SHOWPOPUP, WM_SHOWPOPUP, PM_REMOVE)) << "not woken";
  EXPECT_NE(std::string::npos, OnlyLogText().find("wWinMain: CreateMutexW was denied access")) << OnlyLogText();
  CloseHandle(mutex);
}

RECT TaskbarRect() {
  APPBARDATA data = {};
  data.cbSize = sizeof data;
  SHAppBarMessage(ABM_GETTASKBARPOS, &data);
  return data.rc;
}

TEST_F(ShellProcess, PlainStartShowsThePopupBesideTheTaskbarAndItsPreferencesDialog) {
  ChildProcess first;
  HWND popup = StartFirstInstance(first);
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) != FALSE; }, 5000)) << "popup not shown";
  RECT rect;
  GetWindowRect(popup, &rect);
  const RECT taskbar = TaskbarRect();
  EXPECT_EQ(taskbar.right, rect.right);
  EXPECT_EQ(taskbar.top, rect.bottom);

  PostMessageW(popup, WM_COMMAND, IDM_PREFERENCES, 0);
  HWND preferences = polling::WaitForTopLevel(L"#32770", L"Zandor Wickerlyn Preferences", first.Id(), true, 5000);
  ASSERT_TRUE(preferences) << OnlyLogText();
  EXPECT_EQ(GetWindow(preferences, GW_OWNER), popup);
  PostMessageW(preferences, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(preferences); }, 5000));
  HWND link = FindWindowExW(popup, nullptr, nullptr, L"Add a Server...");
  ASSERT_TRUE(link);
  PostMessageW(popup, WM_LINK_CLICKED, 0, reinterpret_cast<LPARAM>(link));
  HWND addServer = polling::WaitForTopLevel(L"#32770", L"Add a Server", first.Id(), true, 5000);
  ASSERT_TRUE(addServer) << OnlyLogText();
  EXPECT_EQ(GetWindow(addServer, GW_OWNER), popup);
  PostMessageW(addServer, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(addServer); }, 5000));
  EXPECT_TRUE(first.Running());
}

TEST_F(ShellProcess, StartedWithWindowsTheTrayIconClickShowsThePopup) {
  ChildProcess first;
  HWND popup = StartFirstInstance(first, L"/startup");
  ASSERT_TRUE(popup);
  EXPECT_FALSE(IsWindowVisible(popup));
  // A left click on the icon, as the shell reports it to a version-4 icon (id 0).
  const RECT taskbar = TaskbarRect();
  const WPARAM at = MAKEWPARAM(taskbar.right - 20, taskbar.top);
  for (const UINT event : {UINT{WM_LBUTTONDOWN}, UINT{WM_LBUTTONUP}, UINT{NIN_SELECT}})
    PostMessageW(popup, WM_TRAYICON, at, MAKELPARAM(event, 0));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) != FALSE; }, 5000)) << "popup not shown";
}

TEST_F(ShellProcess, KillEndsTheRunningInstanceThroughItsNormalTearDown) {
  ChildProcess first;
  ASSERT_TRUE(StartFirstInstance(first));

  ChildProcess killer;
  ASSERT_TRUE(killer.Start(Wickerlyn(), L"/kill", Environment()));
  EXPECT_EQ(0u, killer.WaitForExit(15000));
  EXPECT_EQ(0u, first.WaitForExit(5000));

  const std::string log = OnlyLogText();
  EXPECT_NE(std::string::npos, log.find("## Starting Zandor Wickerlyn logging.\r\n")) << log;
  const std::string closing = "## Closing log\r\n";
  ASSERT_GE(log.size(), closing.size()) << log;
  EXPECT_EQ(closing, log.substr(log.size() - closing.size())) << "not torn down in order:\n" << log;
  EXPECT_TRUE(FileExists(PrefsPath())) << "the tear-down saves the preferences";
}

TEST_F(ShellProcess, KillWithNothingRunningJustExits) {
  ChildProcess killer;
  ASSERT_TRUE(killer.Start(Wickerlyn(), L"  /kill  ", Environment()));
  EXPECT_EQ(0u, killer.WaitForExit(15000));
  EXPECT_TRUE(ListNames(LogFolder()).empty()) << "a maintenance action opens no log";
}

TEST_F(ShellProcess, RemovePrefsDeletesTheDataFilesButNotSubFolders) {
  ScratchFolder data(L"shell-data");
  ASSERT_TRUE(WriteTextFile(data / L"prefs.txt", "prefs"));
  ASSERT_TRUE(WriteTextFile(data / L"ZandorWickerlyn42.dmp", "MDMP"));
  ASSERT_TRUE(CreateDirectoryW((data / L"keep").c_str(), nullptr));

  ChildProcess remover;
  ASSERT_TRUE(remover.Start(TestHost(), L"run \"" + data.Path() + L"\" /removeprefs", Environment()));
  EXPECT_EQ(0u, remover.WaitForExit(15000));
  EXPECT_FALSE(FileExists(data / L"prefs.txt"));
  EXPECT_FALSE(FileExists(data / L"ZandorWickerlyn42.dmp"));
  EXPECT_TRUE(FolderExists(data / L"keep"));
  EXPECT_TRUE(FolderExists(data.Path()));
}

// Runs a copy of the program from a folder of its own, expects string 182 and exit code -1;
// returns the run's log.
std::string ExpectInitFailure(ShellProcess& test, const std::wstring& folder) {
  const std::wstring copy = folder + L"\\wickerlyn.exe";
  EXPECT_TRUE(CopyFileW(Wickerlyn().c_str(), copy.c_str(), FALSE));
  ChildProcess program;
  EXPECT_TRUE(program.Start(copy, L"", test.Environment()));
  HWND box = WaitForWindow(L"#32770", kTitle, program.Id(), 15000);
  EXPECT_TRUE(box) << "no message box";
  if (!box) return std::string();
  EXPECT_EQ(L"Failed to initialize Zandor Wickerlyn. To fix this issue, uninstall and reinstall the application.",
            ReadAndDismissMessageBox(box));
  EXPECT_EQ(static_cast<DWORD>(-1), program.WaitForExit(10000));
  EXPECT_FALSE(FindWindowW(kPopupClass, nullptr));
  const std::string log = test.OnlyLogText();
  EXPECT_EQ(std::string::npos, log.find("## Closing log")) << "nothing is shut down in order on this path";
  return log;
}

TEST_F(ShellProcess, MissingAutomationLibraryIsReportedAndExitsWithMinusOne) {
  ScratchFolder lonely(L"shell-nolib");
  const std::string log = ExpectInitFailure(*this, lonely.Path());
  EXPECT_NE(std::string::npos, log.find("shell::LoadAutomationLibrary: Failed to load '")) << log;
  EXPECT_NE(std::string::npos, log.find("\\kilnworks\\qor.dll' with error code 0x")) << log;
}

TEST_F(ShellProcess, AutomationLibraryLackingAFunctionIsRefusedLikeAMissingOne) {
  ScratchFolder folder(L"shell-badlib");
  ASSERT_TRUE(CreateDirectoryW((folder / L"kilnworks").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\test-fixtures\\incomplete_qor.dll").c_str(),
                        (folder / L"kilnworks\\qor.dll").c_str(), FALSE));
  const std::string log = ExpectInitFailure(*this, folder.Path());
  EXPECT_NE(std::string::npos, log.find("\\kilnworks\\qor.dll' lacks the function 'QorHost_Disconnect'.")) << log;
}

// Waits for the crash message of a process, checks it and dismisses it; returns the dump path.
std::wstring ExpectCrashMessage(ChildProcess& crasher, const std::wstring& dataFolder) {
  HWND box = WaitForWindow(L"#32770", kTitle, crasher.Id(), 20000);
  EXPECT_TRUE(box) << "no crash message";
  if (!box) return std::wstring();
  const std::wstring text = ReadAndDismissMessageBox(box);
  const std::wstring head = L"Zandor Wickerlyn crashed. Please report this bug to Zandor and provide the following file: '";
  const std::wstring tail = L"'. The file doesn't contain any personal information; it only contains information about why the program crashed.";
  EXPECT_EQ(0u, text.find(head)) << std::string(text.begin(), text.end());
  const size_t tailAt = text.rfind(tail);
  EXPECT_NE(std::wstring::npos, tailAt);
  if (tailAt == std::wstring::npos || tailAt < head.size()) return std::wstring();
  const std::wstring path = text.substr(head.size(), tailAt - head.size());
  EXPECT_EQ(0u, path.find(dataFolder + L"\\ZandorWickerlyn"));
  EXPECT_EQ(path.size() - 4, path.rfind(L".dmp"));
  return path;
}

TEST_F(ShellProcess, CrashWritesAMiniDumpAndTellsWhereItIs) {
  ScratchFolder parent(L"shell-crash");
  const std::wstring data = parent / L"Zandor\\Zandor Wickerlyn";  // created by the handler

  ChildProcess crasher;
  ASSERT_TRUE(crasher.Start(TestHost(), L"crash \"" + data + L"\"", Environment()));
  const std::wstring dump = ExpectCrashMessage(crasher, data);
  const DWORD code = crasher.WaitForExit(10000);
  EXPECT_NE(STILL_ACTIVE, code);
  EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), code);

  const std::string bytes = ReadFileBytes(dump);
  ASSERT_GT(bytes.size(), 32u);
  EXPECT_EQ("MDMP", bytes.substr(0, 4));
}

TEST_F(ShellProcess, TwoCrashesAtOnceKeepBothDumps) {
  ScratchFolder data(L"shell-crash2");
  ChildProcess a, b;
  ASSERT_TRUE(a.Start(TestHost(), L"crash \"" + data.Path() + L"\"", Environment()));
  ASSERT_TRUE(b.Start(TestHost(), L"crash \"" + data.Path() + L"\"", Environment()));
  const std::wstring dumpA = ExpectCrashMessage(a, data.Path());
  const std::wstring dumpB = ExpectCrashMessage(b, data.Path());
  a.WaitForExit(10000);
  b.WaitForExit(10000);
  EXPECT_NE(dumpA, dumpB);
  EXPECT_EQ(2u, ListNames(data.Path(), L"ZandorWickerlyn*.dmp").size());
  EXPECT_EQ("MDMP", ReadFileBytes(dumpA).substr(0, 4));
  EXPECT_EQ("MDMP", ReadFileBytes(dumpB).substr(0, 4));
}

}  // namespace

TEST_F(ShellProcess, SavedServersAndFavoritesSurviveARunEndedByKill) {
  ASSERT_TRUE(WriteTextFile(PrefsPath(),
                            "server.url = \"https://srv-b.example:8443\"\r\n"
                            "server.type = \"1\"\r\n"
                            "favoritesItem.name = \"web-frontend-03\"\r\n"
                            "favoritesItem.cfxPath = \"[ds1] web-frontend-03/web-frontend-03.vmx\"\r\n"
                            "favoritesItem.id = \"vm-3\"\r\n"
                            "server.url = \"http://srv-a.example\"\r\n"
                            "server.type = \"1\"\r\n"));
  ChildProcess first;
  ASSERT_TRUE(StartFirstInstance(first));
  ChildProcess killer;
  ASSERT_TRUE(killer.Start(Wickerlyn(), L"/kill", Environment()));
  EXPECT_EQ(0u, killer.WaitForExit(15000));
  EXPECT_EQ(0u, first.WaitForExit(5000));

  // Written back from the live servers, which the program holds in host order.
  const std::string text = ReadFileBytes(PrefsPath());
  const size_t a = text.find("server.url = \"http://srv-a.example\"");
  const size_t b = text.find("server.url = \"https://srv-b.example:8443\"");
  ASSERT_NE(std::string::npos, a) << text;
  ASSERT_NE(std::string::npos, b) << text;
  EXPECT_LT(a, b) << text;
  const size_t favorite = text.find("favoritesItem.name = \"web-frontend-03\"");
  ASSERT_NE(std::string::npos, favorite) << text;
  EXPECT_GT(favorite, b) << "the favorite stays with its server:\n" << text;
  EXPECT_NE(std::string::npos, text.find("favoritesItem.id = \"vm-3\"")) << text;
}

namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

// A child window of the popup, at any depth, with this window text.
HWND FindDescendant(HWND parent, const std::wstring& text) {
  struct Search {
    const std::wstring* text;
    HWND found;
  } search = {&text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (TextOf(child) != *s->text) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void SetTextOf(HWND dialog, int id, const std::wstring& text) {
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
}

void ClickIn(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

}  // namespace

TEST_F(ShellProcess, AServerAddedThroughTheDialogIsListedAndSavedWithItsProtectedPassword) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start({"--vms", "3"})) << sim.LastError();
  ChildProcess first;
  HWND popup = StartFirstInstance(first);
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) != FALSE; }, 5000)) << "popup not shown";
  HWND link = FindWindowExW(popup, nullptr, nullptr, L"Add a Server...");
  ASSERT_TRUE(link);
  PostMessageW(popup, WM_LINK_CLICKED, 0, reinterpret_cast<LPARAM>(link));
  HWND dialog = polling::WaitForTopLevel(L"#32770", L"Add a Server", first.Id(), true, 5000);
  ASSERT_TRUE(dialog) << OnlyLogText();

  const std::wstring port = std::to_wstring(sim.Port());
  SetTextOf(dialog, IDC_SERVER_EDIT, L"127.0.0.1:" + port);
  ClickIn(dialog, IDC_CONNECT);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(GetDlgItem(dialog, IDC_CONNECT_STATUS)).find(L"is an Olvark") !=
                                     std::wstring::npos; }, 15000))
      << TextOf(GetDlgItem(dialog, IDC_CONNECT_STATUS)) << "\n" << OnlyLogText();
  SetTextOf(dialog, IDC_USERNAME_EDIT, L"root");
  SetTextOf(dialog, IDC_PASSWORD_EDIT, L"wickerlyn");
  ClickIn(dialog, IDC_REMEMBER_CHECK);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_LOGIN)) != FALSE; }, 5000));
  ClickIn(dialog, IDC_LOGIN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 15000))
      << TextOf(GetDlgItem(dialog, IDC_LOGIN_MESSAGE)) << "\n" << OnlyLogText();

  // Its section is there at once, and its VMs once the first search has ended.
  EXPECT_TRUE(WaitUntil([&] { return FindDescendant(popup, L"127.0.0.1") != nullptr; }, 5000)) << OnlyLogText();
  ChildProcess killer;
  ASSERT_TRUE(killer.Start(Wickerlyn(), L"/kill", Environment()));
  EXPECT_EQ(0u, killer.WaitForExit(15000));
  EXPECT_EQ(0u, first.WaitForExit(5000));

  const std::string text = ReadFileBytes(PrefsPath());
  EXPECT_NE(std::string::npos, text.find("server.url = \"https://127.0.0.1:" + std::to_string(sim.Port()) + "\""))
      << text;
  EXPECT_NE(std::string::npos, text.find("server.username = \"root\"")) << text;
  const size_t password = text.find("server.password = \"");
  ASSERT_NE(std::string::npos, password) << text;
  EXPECT_GT(text.find('"', password + 19), password + 19 + 16) << "a protected password is long:\n" << text;
  EXPECT_EQ(std::string::npos, text.find("wickerlyn\"")) << "the password is never stored as typed:\n" << text;
}
