#include <gtest/gtest.h>

#include "TestWindows.h"

namespace testwin {
void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
}  // namespace testwin

using testwin::Recorder;

TEST(WindowImpl, BindsObjectToHandleAndRoutesTheMessageMap) {
  Recorder w;
  HWND hwnd = w.CreateTopLevel();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(w.Hwnd(), hwnd);
  EXPECT_EQ(ui::WindowImpl::FromHandle(hwnd), &w);
  EXPECT_EQ(SendMessageW(hwnd, WM_APP + 50, 21, 0), 42);
  ASSERT_EQ(w.seen.size(), 1u);
  // A handler that declines passes the message on to default processing (answers 0).
  EXPECT_EQ(SendMessageW(hwnd, WM_APP + 51, 0, 0), 0);
  EXPECT_EQ(w.seen.size(), 2u);
  // Default processing still works for what the map leaves alone.
  SetWindowTextW(hwnd, L"changed");
  wchar_t text[32] = {};
  GetWindowTextW(hwnd, text, 32);
  EXPECT_STREQ(text, L"changed");
}

TEST(WindowImpl, DestroyForgetsTheHandleAndCallsTheFinalMessageOnce) {
  Recorder w;
  HWND hwnd = w.CreateTopLevel();
  ASSERT_TRUE(w.DestroyWindow());
  EXPECT_EQ(w.Hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(ui::WindowImpl::FromHandle(hwnd), nullptr);
  EXPECT_EQ(w.finalMessages, 1);
  EXPECT_FALSE(w.DestroyWindow());
}

TEST(WindowImpl, DestructorDestroysALiveWindow) {
  HWND hwnd;
  {
    Recorder w;
    hwnd = w.CreateTopLevel();
    ASSERT_TRUE(IsWindow(hwnd));
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowImpl, OneObjectCannotOwnTwoWindows) {
  Recorder w;
  ASSERT_NE(w.CreateTopLevel(), nullptr);
  EXPECT_EQ(w.CreateTopLevel(), nullptr);
}

// Taking over a window the object did not create: its map comes first, the window's own
// procedure does the rest, and the window outlives the object unchanged.
TEST(WindowImpl, SubclassedWindowRunsTheMapAndIsGivenBackWhole) {
  HWND stat = CreateWindowExW(0, L"static", L"plain", WS_POPUP, 0, 0, 60, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(stat, nullptr);
  wchar_t text[32] = {};
  {
    Recorder w;
    ASSERT_TRUE(w.SubclassWindow(stat));
    EXPECT_EQ(w.Hwnd(), stat);
    EXPECT_EQ(ui::WindowImpl::FromHandle(stat), &w);
    EXPECT_EQ(SendMessageW(stat, WM_APP + 50, 21, 0), 42);
    SetWindowTextW(stat, L"changed");
    GetWindowTextW(stat, text, 32);
    EXPECT_STREQ(text, L"changed");
    Recorder other;
    EXPECT_FALSE(other.SubclassWindow(stat)) << "one object per window";
    EXPECT_FALSE(w.SubclassWindow(stat));
  }
  ASSERT_TRUE(IsWindow(stat));
  EXPECT_EQ(ui::WindowImpl::FromHandle(stat), nullptr);
  EXPECT_EQ(SendMessageW(stat, WM_APP + 50, 21, 0), 0);
  SetWindowTextW(stat, L"again");
  GetWindowTextW(stat, text, 32);
  EXPECT_STREQ(text, L"again");

  // Destroyed while taken over: the object lets go of it like of its own.
  Recorder w;
  ASSERT_TRUE(w.SubclassWindow(stat));
  ASSERT_TRUE(DestroyWindow(stat));
  EXPECT_EQ(w.Hwnd(), nullptr);
  EXPECT_FALSE(w.IsSubclassed());
  EXPECT_EQ(w.finalMessages, 1);
}

TEST(WindowImpl, ManyWindowsOfOneClassKeepTheirOwnObjects) {
  Recorder a, b;
  HWND ha = a.CreateTopLevel();
  HWND hb = b.CreateTopLevel();
  SendMessageW(hb, WM_APP + 50, 1, 0);
  EXPECT_TRUE(a.seen.empty());
  EXPECT_EQ(b.seen.size(), 1u);
  EXPECT_EQ(ui::WindowImpl::FromHandle(ha), &a);
}
