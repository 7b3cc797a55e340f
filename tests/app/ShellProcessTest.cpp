// The program as real processes: single instance, the tray click, closing and destroying the
// popup, "/kill", "/removeprefs", a missing automation library, crash dumps, and the
// preferences kept across a run. Each case starts the program once and follows it through.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "tests/app/ShellProcessFixture.h"
#include "tests/support/ClassWindow.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/SimulatorFixture.h"
#include "ui/window/Messages.h"

namespace {

using namespace shelltest;

const wchar_t kTitle[] = L"Zandor Wickerlyn";

bool Shown(HWND popup) {
  return WaitUntil([&] { return IsWindowVisible(popup) && GetForegroundWindow() == popup; }, 5000);
}

// The log ends with the normal tear-down.
void ExpectClosedInOrder(const std::string& log) {
  const std::string closing = "## Closing log\r\n";
  ASSERT_GE(log.size(), closing.size()) << log;
  EXPECT_EQ(closing, log.substr(log.size() - closing.size())) << "not torn down in order:\n" << log;
}

// Whether this process can take Ctrl+Alt+Z (it lets go of it at once).
bool CtrlAltZIsFree() {
  if (!RegisterHotKey(nullptr, 0x7002, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'Z')) return false;
  UnregisterHotKey(nullptr, 0x7002);
  return true;
}

// Started with Windows, the popup waits; a second start shows it, and "/kill" ends the
// program through its tear-down, which saves the servers. (The popup's own size, place and
// tray clicks are PopupWindowTest's.)
TEST_F(ShellProcess, SecondInstanceShowsTheWaitingPopupAndKillEndsItWithItsServersSaved) {
  ASSERT_TRUE(WriteTextFile(PrefsPath(),
                            "server.url = \"https://srv-b.example:8443\"\r\n"
                            "server.type = \"1\"\r\n"
                            "favoritesItem.name = \"web-frontend-03\"\r\n"
                            "favoritesItem.cfxPath = \"[ds1] web-frontend-03/web-frontend-03.vmx\"\r\n"
                            "favoritesItem.id = \"vm-3\"\r\n"
                            "server.url = \"http://srv-a.example\"\r\n"
                            "server.type = \"1\"\r\n"));
  ChildProcess first;
  HWND popup = StartFirstInstance(first, L"/startup");
  ASSERT_TRUE(popup) << "first instance did not create its popup";
  EXPECT_FALSE(IsWindowVisible(popup)) << "started with Windows, the popup waits for the user";

  ChildProcess second;
  ASSERT_TRUE(second.Start(Wickerlyn(), L"/startup"));
  EXPECT_EQ(static_cast<DWORD>(-1), second.WaitForExit(15000));
  // Active, so that it hides when the user clicks elsewhere (Windows' foreground lock needs
  // the second start's grant for this; Wine does not enforce the lock).
  EXPECT_TRUE(Shown(popup)) << "popup not shown and active";
  ChildProcess killer;
  ASSERT_TRUE(killer.Start(Wickerlyn(), L"/kill"));
  EXPECT_EQ(0u, killer.WaitForExit(15000));
  EXPECT_EQ(0u, first.WaitForExit(5000));
  const std::string log = OnlyLogText();
  EXPECT_NE(std::string::npos, log.find("## Starting Zandor Wickerlyn logging.\r\n")) << log;
  ExpectClosedInOrder(log);
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
  ClassWindow running(kPopupClass, DefWindowProcW);  // the running instance's popup
  ASSERT_TRUE(running.Hwnd());

  ChildProcess second;
  ASSERT_TRUE(second.Start(TestHost(), L"run \"" + mData.Path() + L"\""));
  EXPECT_EQ(static_cast<DWORD>(-1), second.WaitForExit(15000)) << "a second instance runs:\n" << OnlyLogText();
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, running.Hwnd(), WM_SHOWPOPUP, WM_SHOWPOPUP, PM_REMOVE)) << "not woken";
  EXPECT_NE(std::string::npos, OnlyLogText().find("wWinMain: CreateMutexW was denied access")) << OnlyLogText();
  CloseHandle(mutex);
}

// A child window of the popup, at any depth, with this window text.
HWND FindDescendant(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (dialogs::TextOf(child) == text) return child;
    if (HWND found = FindDescendant(child, text)) return found;
  }
  return nullptr;
}

void ClickIn(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A dialog of the program, owned by its popup; null when none came.
HWND OwnedDialog(const ChildProcess& program, const wchar_t* caption, HWND popup) {
  HWND dialog = polling::WaitForTopLevel(L"#32770", caption, program.Id(), true, 5000);
  EXPECT_TRUE(dialog) << "no dialog '" << std::string(caption, caption + wcslen(caption)) << "'";
  if (dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), popup);
  }
  return dialog;
}

// A plain start shows the popup; Alt+F4 and close messages only hide it;
// its dialogs belong to it; a server added through the dialog is listed; and when the popup
// window is destroyed, the program ends through its tear-down and saves that server with
// its protected password.
TEST_F(ShellProcess, PlainStartClosesOnlyHideThePopupAndItsAddedServerIsSavedWhenItsWindowGoes) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start({"--vms", "3"})) << sim.LastError();
  ChildProcess app;
  HWND popup = StartFirstInstance(app);
  ASSERT_TRUE(popup);
  ASSERT_TRUE(Shown(popup)) << "popup not shown and active";
  const struct {
    const char* name;
    void (*close)(HWND);
  } closes[] = {
      {"Alt+F4", [](HWND) {
         INPUT keys[4] = {};
         const WORD order[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
         for (int i = 0; i < 4; ++i) {
           keys[i].type = INPUT_KEYBOARD;
           keys[i].ki.wVk = order[i];
           keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(order[i], MAPVK_VK_TO_VSC));
           keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
         }
         SendInput(4, keys, sizeof(INPUT));
       }},
      {"SC_CLOSE", [](HWND p) { PostMessageW(p, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [](HWND p) { PostMessageW(p, WM_CLOSE, 0, 0); }},
  };
  for (const auto& c : closes) {
    SCOPED_TRACE(c.name);
    c.close(popup);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); }, 5000)) << "not hidden";
    // A window being destroyed is hidden first: only showing it again tells it is still there.
    PostMessageW(popup, WM_SHOWPOPUP, 0, 0);
    ASSERT_TRUE(Shown(popup)) << "not shown again; the popup window "
                              << (IsWindow(popup) ? "is still there" : "was destroyed");
  }

  // The popup holds Ctrl+Alt+Z until Preferences clears it: Cancel keeps it, OK lets it go.
  EXPECT_FALSE(CtrlAltZIsFree());
  for (const int button : {IDCANCEL, IDOK}) {
    PostMessageW(popup, WM_COMMAND, IDM_PREFERENCES, 0);
    HWND preferences = OwnedDialog(app, L"Zandor Wickerlyn Preferences", popup);
    ASSERT_TRUE(preferences);
    SendMessageW(GetDlgItem(preferences, IDC_HOTKEY), HKM_SETHOTKEY, 0, 0);
    PostMessageW(preferences, WM_COMMAND, button, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(preferences); }, 5000));
    EXPECT_EQ(button == IDOK, WaitUntil(CtrlAltZIsFree, button == IDOK ? 5000 : 0)) << button;
  }
  HWND link = FindWindowExW(popup, nullptr, nullptr, L"Add a Server...");
  ASSERT_TRUE(link);
  PostMessageW(popup, WM_LINK_CLICKED, 0, reinterpret_cast<LPARAM>(link));
  HWND dialog = OwnedDialog(app, L"Add a Server", popup);
  ASSERT_TRUE(dialog) << OnlyLogText();
  SetDlgItemTextW(dialog, IDC_SERVER_EDIT, (L"127.0.0.1:" + std::to_wstring(sim.Port())).c_str());
  ClickIn(dialog, IDC_CONNECT);
  ASSERT_TRUE(WaitUntil([&] { return dialogs::TextOf(GetDlgItem(dialog, IDC_CONNECT_STATUS)).find(L"is an Olvark") !=
                                     std::wstring::npos; }, 15000))
      << dialogs::TextOf(GetDlgItem(dialog, IDC_CONNECT_STATUS)) << "\n" << OnlyLogText();
  SetDlgItemTextW(dialog, IDC_USERNAME_EDIT, L"root");
  SetDlgItemTextW(dialog, IDC_PASSWORD_EDIT, L"wickerlyn");
  ClickIn(dialog, IDC_REMEMBER_CHECK);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_LOGIN)) != FALSE; }, 5000));
  ClickIn(dialog, IDC_LOGIN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 15000))
      << dialogs::TextOf(GetDlgItem(dialog, IDC_LOGIN_MESSAGE)) << "\n" << OnlyLogText();
  // Its section is there at once, and its VMs once the first search has ended.
  EXPECT_TRUE(WaitUntil([&] { return FindDescendant(popup, L"127.0.0.1") != nullptr; }, 5000)) << OnlyLogText();

  PostMessageW(popup, RegisterWindowMessageW(kDestroyWindowMessage), 0, 0);
  EXPECT_EQ(0u, app.WaitForExit(10000)) << "the program lingers without its window";
  const std::string log = OnlyLogText();
  EXPECT_NE(std::string::npos, log.find("PopupWindow::OnDestroy: The popup window was destroyed")) << log;
  ExpectClosedInOrder(log);
  const std::string text = ReadFileBytes(PrefsPath());
  EXPECT_NE(std::string::npos, text.find("server.url = \"https://127.0.0.1:" + std::to_string(sim.Port()) + "\""))
      << text;
  EXPECT_NE(std::string::npos, text.find("server.username = \"root\"")) << text;
  const size_t password = text.find("server.password = \"");
  ASSERT_NE(std::string::npos, password) << text;
  EXPECT_GT(text.find('"', password + 19), password + 19 + 16) << "a protected password is long:\n" << text;
  EXPECT_EQ(std::string::npos, text.find("wickerlyn\"")) << "the password is never stored as typed:\n" << text;
  EXPECT_NE(std::string::npos, text.find("hotkey = \"0\"")) << text;

  // Started again, it takes no hotkey.
  ChildProcess again;
  HWND popupAgain = StartFirstInstance(again);
  ASSERT_TRUE(popupAgain);
  ASSERT_TRUE(Shown(popupAgain)) << "shown once its creation, with the hotkey's turn, is over";
  EXPECT_TRUE(CtrlAltZIsFree());
}

TEST_F(ShellProcess, MaintenanceActionsNeedNoRunningInstanceAndOpenNoLog) {
  ChildProcess killer;
  ASSERT_TRUE(killer.Start(Wickerlyn(), L"  /kill  "));
  EXPECT_EQ(0u, killer.WaitForExit(15000));

  ASSERT_TRUE(WriteTextFile(PrefsPath(), "prefs"));
  ASSERT_TRUE(WriteTextFile(mData / L"ZandorWickerlyn42.dmp", "MDMP"));
  ASSERT_TRUE(CreateDirectoryW((mData / L"keep").c_str(), nullptr));
  ChildProcess remover;
  ASSERT_TRUE(remover.Start(TestHost(), L"run \"" + mData.Path() + L"\" /removeprefs"));
  EXPECT_EQ(0u, remover.WaitForExit(15000));
  EXPECT_FALSE(FileExists(PrefsPath()));
  EXPECT_FALSE(FileExists(mData / L"ZandorWickerlyn42.dmp"));
  EXPECT_TRUE(FolderExists(mData / L"keep"));
  EXPECT_TRUE(ListNames(LogFolder()).empty()) << "a maintenance action opens no log";
}

// A copy of the program beside no library, or beside one that lacks a function: string 182,
// exit code -1, and nothing shut down in order.
TEST_F(ShellProcess, AMissingOrIncompleteAutomationLibraryIsReportedAndExitsWithMinusOne) {
  const struct {
    const char* what;
    bool incomplete;
    const char* logged;
  } cases[] = {
      {"missing", false, "\\kilnworks\\qor.dll' with error code 0x"},
      {"incomplete", true, "\\kilnworks\\qor.dll' lacks the function 'QorHost_Disconnect'."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder(L"shell-lib");
    if (c.incomplete) {
      ASSERT_TRUE(CreateDirectoryW((folder / L"kilnworks").c_str(), nullptr));
      ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\test-fixtures\\incomplete_qor.dll").c_str(),
                            (folder / L"kilnworks\\qor.dll").c_str(), FALSE));
    }
    ASSERT_TRUE(CopyFileW(Wickerlyn().c_str(), (folder / L"wickerlyn.exe").c_str(), FALSE));
    for (const std::wstring& name : ListNames(LogFolder())) DeleteFileW((LogFolder() + L"\\" + name).c_str());
    ChildProcess program;
    ASSERT_TRUE(program.Start(folder / L"wickerlyn.exe", L""));
    HWND box = polling::WaitForTopLevel(L"#32770", kTitle, program.Id(), true, 15000);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(L"Failed to initialize Zandor Wickerlyn. To fix this issue, uninstall and reinstall the application.",
              dialogs::MessageBoxText(box));
    dialogs::PressOk(box);
    EXPECT_EQ(static_cast<DWORD>(-1), program.WaitForExit(10000));
    EXPECT_FALSE(FindWindowW(kPopupClass, nullptr));
    const std::string log = OnlyLogText();
    EXPECT_EQ(std::string::npos, log.find("## Closing log")) << "nothing is shut down in order on this path";
    EXPECT_NE(std::string::npos, log.find("shell::LoadAutomationLibrary: ")) << log;
    EXPECT_NE(std::string::npos, log.find(c.logged)) << log;
  }
}

// Waits for the crash message of a process, checks it and dismisses it; returns the dump path.
std::wstring ExpectCrashMessage(ChildProcess& crasher, const std::wstring& dataFolder) {
  // Writing a dump under Wine reads the whole process through the wine server: on a loaded
  // machine, with two at once, that took longer than 20 s.
  HWND box = polling::WaitForTopLevel(L"#32770", kTitle, crasher.Id(), true, 60000);
  EXPECT_TRUE(box) << "no crash message";
  if (!box) return std::wstring();
  const std::wstring text = dialogs::MessageBoxText(box);
  dialogs::PressOk(box);
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

TEST_F(ShellProcess, TwoCrashesAtOnceEachWriteAMiniDumpAndTellWhereItIs) {
  const std::wstring data = mTemp / L"Zandor\\Zandor Wickerlyn";  // created by the handler
  ChildProcess a, b;
  ASSERT_TRUE(a.Start(TestHost(), L"crash \"" + data + L"\""));
  ASSERT_TRUE(b.Start(TestHost(), L"crash \"" + data + L"\""));
  const std::wstring dumpA = ExpectCrashMessage(a, data);
  const std::wstring dumpB = ExpectCrashMessage(b, data);
  EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), a.WaitForExit(30000));
  EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), b.WaitForExit(30000));
  EXPECT_NE(dumpA, dumpB);
  EXPECT_EQ(2u, ListNames(data, L"ZandorWickerlyn*.dmp").size());
  EXPECT_EQ("MDMP", ReadFileBytes(dumpA).substr(0, 4));
  EXPECT_EQ("MDMP", ReadFileBytes(dumpB).substr(0, 4));
}

}  // namespace
