// The popup of the running program: closing it only hides it, and a popup whose window is
// gone ends the program through its normal tear-down.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/app/ShellProcessFixture.h"
#include "ui/window/Messages.h"

namespace {

using namespace shelltest;

void PressAltF4() {
  INPUT keys[4] = {};
  const WORD order[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = order[i];
    keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(order[i], MAPVK_VK_TO_VSC));
    keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(4, keys, sizeof(INPUT));
}

TEST_F(ShellProcess, AltF4AndCloseMessagesHideThePopupAndTheProgramStaysUsable) {
  ScratchFolder data(L"shell-close");
  ChildProcess app;
  HWND popup = StartHostInstance(app, data.Path());
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == popup; }, 5000)) << "the popup is not active";

  const struct {
    const char* name;
    void (*close)(HWND);
  } closes[] = {
      {"Alt+F4", [](HWND) { PressAltF4(); }},
      {"SC_CLOSE", [](HWND p) { PostMessageW(p, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [](HWND p) { PostMessageW(p, WM_CLOSE, 0, 0); }},
  };
  for (const auto& c : closes) {
    SCOPED_TRACE(c.name);
    c.close(popup);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); }, 5000)) << "not hidden";
    // A window being destroyed is hidden first: only showing it again tells it is still there.
    PostMessageW(popup, WM_SHOWPOPUP, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) && GetForegroundWindow() == popup; }, 5000))
        << "not shown again; the popup window " << (IsWindow(popup) ? "is still there" : "was destroyed");
  }
  EXPECT_TRUE(app.Running());
}

TEST_F(ShellProcess, APopupDestroyedWhileRunningEndsTheProgramWithItsPrefsSaved) {
  ScratchFolder data(L"shell-destroyed");
  const std::wstring prefs = data / L"prefs.txt";
  ASSERT_TRUE(WriteTextFile(prefs, "server.url = \"http://srv-b.example\"\r\nserver.type = \"1\"\r\n"
                                   "server.url = \"http://srv-a.example\"\r\nserver.type = \"1\"\r\n"));
  ChildProcess app;
  HWND popup = StartHostInstance(app, data.Path());
  ASSERT_TRUE(popup);
  PostMessageW(popup, RegisterWindowMessageW(kDestroyWindowMessage), 0, 0);
  EXPECT_EQ(0u, app.WaitForExit(10000)) << "the program lingers without its window";

  const std::string log = OnlyLogText();
  EXPECT_NE(std::string::npos, log.find("PopupWindow::OnDestroy: The popup window was destroyed")) << log;
  const std::string closing = "## Closing log\r\n";
  ASSERT_GE(log.size(), closing.size()) << log;
  EXPECT_EQ(closing, log.substr(log.size() - closing.size())) << "not torn down in order:\n" << log;
  // Saved from the live servers, which the program holds in host order.
  const std::string text = ReadFileBytes(prefs);
  const size_t a = text.find("srv-a.example"), b = text.find("srv-b.example");
  ASSERT_NE(std::string::npos, b) << text;
  EXPECT_LT(a, b) << "prefs.txt was not saved:\n" << text;
}

}  // namespace
