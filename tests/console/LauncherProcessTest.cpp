// The launcher with real child processes and real pipes: the console stand-in in test
// mode records what reached it (command line, pipe), so these tests see what a console
// gets; and once end to end against the simulated server. Dialogs (hint, message box, the
// console's own login prompt) are answered from a helper thread, as a user would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <nlohmann/json.hpp>

#include "console/TestRecord.h"
#include "res/resource.h"
#include "services/ConsoleCommandLine.h"
#include "services/ConsoleHint.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/ScratchLog.h"
#include "tests/support/SimulatorFixture.h"

using consoletest::ScratchInstall;

namespace {

std::string Protect(const std::string& password) {
  std::string text;
  EXPECT_TRUE(utils::EncryptString(password.c_str(), password.size(), text));
  return text;
}

// A scratch install with the console stand-in registered under one version, and the
// console told to record and end.
class RecordingConsole {
 public:
  explicit RecordingConsole(const wchar_t* version)
      : mRecordFile(mScratch.Root() + L"\\record.txt"),
        mRecord(lumacon::kTestRecordVariable, mRecordFile),
        mExit(lumacon::kTestExitVariable, L"1") {
    EXPECT_TRUE(mScratch.Register(version, consoletest::ConsoleProgram()));
  }
  utils::ConsoleLauncher Launcher() const { return utils::ConsoleLauncher(mScratch.Locations()); }
  std::map<std::string, std::string> Record() const { return consoletest::WaitForRecord(mRecordFile); }
  const std::wstring& RecordFile() const { return mRecordFile; }
  // The folder the consoles of this install start from.
  std::wstring Folder() const { return mScratch.Root() + L"\\"; }
  std::wstring ProgramPath(const wchar_t* version) const {
    return mScratch.ClientRoot() + version + L"\\zandor-lumacon.exe";
  }

 private:
  ScratchInstall mScratch;
  std::wstring mRecordFile;
  EnvironmentGuard mRecord;
  EnvironmentGuard mExit;
};

// Answers the console's own login prompt (another process) with these texts (an empty user:
// as filled in), or cancels it; what the prompt showed first: "user|prompt text".
std::wstring AnswerConsoleLogin(const std::wstring& folder, const std::wstring& user, const std::wstring& password,
                                bool ok) {
  HWND prompt = consoletest::WaitForConsoleWindow(L"#32770", LUMACON_LOGIN_CAPTION, folder);
  if (!prompt) return L"no prompt";
  const std::wstring shown = dialogs::TextOf(GetDlgItem(prompt, IDC_LOGIN_USER)) + L"|" +
                             dialogs::TextOf(GetDlgItem(prompt, IDC_LOGIN_PROMPT));
  if (ok && !user.empty()) SetDlgItemTextW(prompt, IDC_LOGIN_USER, user.c_str());
  if (ok) SetDlgItemTextW(prompt, IDC_LOGIN_PASSWORD, password.c_str());
  dialogs::Click(prompt, ok ? IDOK : IDCANCEL);
  return shown;
}

struct PreferenceProbe {
  bool on = true;
  PreferenceProbe() {
    utils::BindOldConsoleHintPreference({[this] { return on; }, [this](bool value) { on = value; }});
  }
  ~PreferenceProbe() { utils::BindOldConsoleHintPreference({}); }
};

}  // namespace

// The password arrives on the pipe, never on the command line. One that cannot be
// unprotected is not sent; the console, told to read one, finds the pipe empty and asks
// with the user filled in.
TEST(ConsoleLauncher, PasswordArrivesOnThePipeOnlyAndAnUnreadableOneIsAskedFor) {
  RecordingConsole console(L"5.0");
  {
    ScratchLog log;
    const std::string password = "p\xC3\xA4ss \"w\xC3\xB6rd\"";
    ASSERT_TRUE(console.Launcher().Run("127.0.0.1:8443", "vm-42", "alice smith", Protect(password)));

    auto record = console.Record();
    ASSERT_FALSE(record.empty()) << "the console did not record what it received";
    EXPECT_EQ(record["host"], "127.0.0.1:8443");
    EXPECT_EQ(record["moid"], "vm-42");
    EXPECT_EQ(record["user"], "alice smith");
    EXPECT_EQ(record["passwordOption"], "1");
    EXPECT_EQ(record["passwordSource"], "pipe");
    EXPECT_EQ(record["passwordLength"], std::to_string(password.size()));
    EXPECT_EQ(record["passwordSha256"], lumacon::Sha256Hex(password.data(), password.size()));

    const std::string commandLine = record["commandLine"];
    const std::string program = utils::ToUtf8String(console.ProgramPath(L"5.0"));
    EXPECT_EQ(commandLine, "\"" + program + "\" -h 127.0.0.1:8443 -M vm-42 -u \"alice smith\" -P");
    EXPECT_EQ(commandLine.find("w\xC3\xB6rd"), std::string::npos);

    EXPECT_TRUE(log.Contains("utils::RunVMInLumacon: Found path to Lumacon at '" + program + "'."));
    EXPECT_TRUE(log.Contains("utils::RunVMInLumacon: Writing credentials securely to the pipe for Lumacon's use."));
    EXPECT_TRUE(log.Contains("utils::RunVMInLumacon: Finished waiting on credential pipe. Closing handles now."));
    EXPECT_FALSE(log.Contains("w\xC3\xB6rd"));
  }
  DeleteFileW(console.RecordFile().c_str());

  ScratchLog log;
  std::wstring shown;
  std::thread answer([&] { shown = AnswerConsoleLogin(console.Folder(), L"", L"typed pw", true); });
  EXPECT_TRUE(console.Launcher().Run("srv01:902", "vm-1", "bob", "this is not a protected password"));
  answer.join();
  EXPECT_EQ(shown.substr(0, 4), L"bob|");
  EXPECT_NE(shown.find(L"srv01:902"), std::wstring::npos) << utils::ToUtf8String(shown);
  auto record = console.Record();
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record["user"], "bob");
  EXPECT_EQ(record["passwordOption"], "1");
  EXPECT_EQ(record["passwordSource"], "prompt");
  EXPECT_EQ(record["passwordSha256"], lumacon::Sha256Hex("typed pw", 8));
  EXPECT_FALSE(log.Contains("Writing credentials securely"));
}

// An old console gets the short form after the hint; the hint's box, ticked, turns the hint
// off, and a hint turned off is not shown.
TEST(ConsoleLauncher, OldConsoleGetsTheShortFormAfterTheHintUnlessItWasTurnedOff) {
  ScratchLog log;
  PreferenceProbe preference;
  RecordingConsole console(L"4.1");
  const struct {
    bool hintOn, tick;
  } launches[] = {{true, false}, {true, true}, {false, false}};
  for (const auto& l : launches) {
    SCOPED_TRACE(l.hintOn ? (l.tick ? "hint ticked" : "hint left unticked") : "hint turned off");
    preference.on = l.hintOn;
    std::wstring hintText;
    std::thread user([&] {
      HWND answered = nullptr;
      polling::WaitUntil([&] {
        HWND hint = dialogs::FindOwnDialog(L"Zandor Wickerlyn");
        if (hint && hint != answered) {
          answered = hint;
          hintText = dialogs::TextOf(GetDlgItem(hint, IDC_HINT_TEXT));
          if (l.tick) dialogs::Click(hint, IDC_DONT_SHOW_AGAIN);
          dialogs::Click(hint, IDOK);
        }
        return consoletest::FindConsoleWindow(L"#32770", LUMACON_LOGIN_CAPTION, console.Folder()) != nullptr;
      }, 20000);
      AnswerConsoleLogin(console.Folder(), L"carol", L"s3cret", true);
    });
    EXPECT_TRUE(console.Launcher().Run("srv01", "vm-7", "alice", Protect("unused")));
    user.join();
    EXPECT_EQ(hintText, l.hintOn ? utils::LoadStringResource(IDS_OLD_CONSOLE_HINT) : L"");
    EXPECT_EQ(preference.on, l.hintOn && !l.tick);
    auto record = console.Record();
    ASSERT_FALSE(record.empty());
    const std::string program = utils::ToUtf8String(console.ProgramPath(L"4.1"));
    EXPECT_EQ(record["commandLine"], "\"" + program + "\" -h srv01 -M vm-7");
    EXPECT_EQ(record["passwordOption"], "0");
    EXPECT_EQ(record["passwordSource"], "prompt");
    EXPECT_EQ(record["user"], "carol");
    EXPECT_EQ(record["passwordSha256"], lumacon::Sha256Hex("s3cret", 6));
    EXPECT_FALSE(log.Contains("Writing credentials securely")) << "no pipe for an old console";
    DeleteFileW(console.RecordFile().c_str());
  }
}

// Without an id nothing is looked for; without a console the user is told.
TEST(ConsoleLauncher, NothingStartsWithoutAnIdOrAConsole) {
  ScratchLog log;
  RecordingConsole console(L"5.0");
  EXPECT_FALSE(console.Launcher().Run("srv01", "", "alice", Protect("pw")));
  EXPECT_TRUE(log.Contains("utils::RunVMInLumacon: Can't launch the VM in Lumacon because there is no MOID!"));
  EXPECT_FALSE(log.Contains("Found path to Lumacon")) << "it stopped before looking for a console";
  EXPECT_FALSE(utils::RunVMInLumacon("srv01", "", "alice", Protect("pw")));

  ScratchInstall empty;
  std::wstring shown;
  std::thread user([&] {
    HWND box = dialogs::WaitForDialog(L"Zandor Wickerlyn", 20000);
    if (!box) return;
    shown = dialogs::MessageBoxText(box);
    dialogs::PressOk(box);
  });
  EXPECT_FALSE(utils::ConsoleLauncher(empty.Locations()).Run("srv01", "vm-1", "alice", Protect("pw")));
  user.join();
  EXPECT_EQ(shown, utils::LoadStringResource(IDS_CONSOLE_NOT_FOUND));
  EXPECT_TRUE(log.Contains("utils::RunVMInLumacon: Unable to find an installation of Lumacon."));
}

// The console inherits the pipe and no other handle; a console that never reads costs the
// launcher its three-second wait for a reader, not the console's whole run.
TEST(ConsoleLauncher, TheConsoleInheritsThePipeAloneAndOneThatNeverReadsIsNotWaitedFor) {
  ScratchLog log;
  ScratchInstall scratch;
  ASSERT_TRUE(scratch.Register(L"5.0", testfs::ProgramFolder() + L"\\lumacon-handle-probe.exe"));
  // An inheritable handle the program happens to hold while it starts a console.
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE event = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  const std::wstring result = scratch.Root() + L"\\probe.txt";
  {
    EnvironmentGuard eventVariable(L"ZW_PROBE_EVENT", std::to_wstring(reinterpret_cast<ULONG_PTR>(event)));
    EnvironmentGuard resultVariable(L"ZW_PROBE_RESULT", result);
    const std::string password = "s3cret";
    EXPECT_TRUE(utils::ConsoleLauncher(scratch.Locations()).Run("srv01", "vm-1", "alice", Protect(password)));
    auto record = consoletest::WaitForRecord(result);
    ASSERT_FALSE(record.empty()) << "the console did not run to its end";
    // The password and its terminating NUL.
    EXPECT_EQ(record["stdinBytes"], std::to_string(password.size() + 1)) << "the pipe did not carry the password";
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the console inherited another handle";
  }
  CloseHandle(event);

  const std::wstring marker = scratch.Root() + L"\\started";
  EnvironmentGuard markerVariable(L"ZW_NEVER_READS_MARKER", marker);
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(utils::ConsoleLauncher(scratch.Locations()).Run("srv01", "vm-1", "alice", Protect("pw")));
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  // The child made the marker and deletes it as it ends: still there, so the launcher gave
  // up on the reader without waiting for the child.
  EXPECT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the child did not run, or was waited for";
  EXPECT_GE(elapsed.count(), 2800) << "the launcher did not wait for a reader";
}

// Against a running simulated server the console reads the password from the pipe, logs
// in through the automation library, finds the VM by its managed-object id and shows its
// name and power state, and ends cleanly when closed. (How the stand-in words its own
// failures is no concern of the program's.)
TEST(ConsoleEndToEnd, ShowsTheWantedVmAndItsPowerState) {
  const char kVmName[] = "Console E2E \xC3\x84 vm";
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start({"--vms", "3", "--user", "tester", "--password", "right pw"})) << sim.LastError();
  std::string answer;
  ASSERT_TRUE(sim.Admin("addVm", nlohmann::json{{"name", kVmName}, {"powerState", 8}}.dump(), &answer));
  const std::string moid = nlohmann::json::parse(answer).value("moid", "");
  ASSERT_FALSE(moid.empty()) << answer;
  consoletest::ScratchInstall scratch;
  ASSERT_TRUE(scratch.RegisterClientRoot(scratch.ClientRoot()) &&
              scratch.AddVersion(L"5.0", consoletest::ConsoleProgram(), /*withLibrary=*/true));
  const std::string host = utils::MakeConsoleHostArgument("127.0.0.1", static_cast<unsigned>(sim.Port()), sim.Secure());
  ASSERT_TRUE(utils::ConsoleLauncher(scratch.Locations()).Run(host, moid, "tester", Protect("right pw")));
  HWND window = consoletest::WaitForConsoleWindow(LUMACON_WINDOW_CLASS, nullptr, scratch.Root() + L"\\");
  ASSERT_NE(window, nullptr);
  std::wstring status;
  polling::WaitUntil([&] {
    status = dialogs::TextOf(GetDlgItem(window, IDC_LUMACON_STATUS));
    return status.find(L"Power state:") != std::wstring::npos;
  }, 30000);
  EXPECT_EQ(status, L"Power state: Powered on") << utils::ToUtf8String(status);
  EXPECT_EQ(dialogs::TextOf(window), utils::ToWideString(kVmName));
  EXPECT_NE(dialogs::TextOf(GetDlgItem(window, IDC_LUMACON_SERVER)).find(utils::ToWideString(moid)),
            std::wstring::npos);

  // Closing the window ends the console cleanly: logged off, library unloaded, exit code 0.
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  ASSERT_NE(process, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  DWORD exitCode = 1234;
  GetExitCodeProcess(process, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process);
}
