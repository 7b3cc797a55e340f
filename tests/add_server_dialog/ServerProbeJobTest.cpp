// The probe job a closing Add Server dialog leaves behind: once revoked it posts nothing,
// so a worker that outlives its dialog cannot reach a window that is gone or reused.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/ServerProbeJob.h"
#include "tests/support/ScratchLog.h"
#include "ui/window/Messages.h"

namespace {

struct MessageWindow {
  MessageWindow() { hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }
  ~MessageWindow() { DestroyWindow(hwnd); }
  bool TakeConnectDone() {
    MSG msg;
    return PeekMessageW(&msg, hwnd, WM_CONNECT_DONE, WM_CONNECT_DONE, PM_REMOVE) != FALSE;
  }
  HWND hwnd = nullptr;
};

TEST(ServerProbeJob, PostsItsAnswerOnlyWhileTheWindowHoldsIt) {
  ScratchLog log;
  MessageWindow window;
  ASSERT_NE(window.hwnd, nullptr);

  auto held = std::make_shared<ServerProbeJob>("127.0.0.1", 1, true, window.hwnd);
  held->Run();
  EXPECT_TRUE(window.TakeConnectDone());
  EXPECT_FALSE(held->Found());
  EXPECT_EQ(held->FoundHost(), "127.0.0.1");

  auto revoked = std::make_shared<ServerProbeJob>("127.0.0.1", 1, true, window.hwnd);
  revoked->Revoke();
  HANDLE thread = ServerProbeJob::Start(revoked);
  ASSERT_NE(thread, nullptr);
  revoked.reset();  // the worker holds the job on its own
  EXPECT_EQ(WaitForSingleObject(thread, 15000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_FALSE(window.TakeConnectDone());
  EXPECT_TRUE(log.Contains("AddServerDlg::Connect: Attempting to connect to hostname '127.0.0.1'."));
}

}  // namespace
