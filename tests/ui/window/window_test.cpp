// The window base: one object per window, its end, and windows taken over. (Routing messages
// through the map and on to default processing: every window test.)
#include <gtest/gtest.h>

#include "TestWindows.h"

using testwin::Recorder;

namespace {
// Counts the exceptions raised while it lives: Wine passes over one raised in a window
// procedure called back from the system, where Windows ends the program.
struct ExceptionCount {
  ExceptionCount() : handler(AddVectoredExceptionHandler(1, Count)) { raised = 0; }
  ~ExceptionCount() { RemoveVectoredExceptionHandler(handler); }
  static LONG CALLBACK Count(EXCEPTION_POINTERS*) {
    ++raised;
    return EXCEPTION_CONTINUE_SEARCH;
  }
  static inline int raised = 0;
  void* handler;
};
}  // namespace

TEST(WindowImpl, DestroyOrTheDestructorEndTheWindowOnceAndASubclassedOneIsGivenBackWhole) {
  HWND hwnd;
  ExceptionCount exceptions;
  {
    Recorder w;
    hwnd = w.CreateTopLevel();
    EXPECT_EQ(w.CreateTopLevel(), nullptr) << "one object cannot own two windows";
    ASSERT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.Hwnd(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(ui::WindowImpl::FromHandle(hwnd), nullptr);
    EXPECT_EQ(w.finalMessages, 1);
    EXPECT_FALSE(w.DestroyWindow());
    hwnd = w.CreateTopLevel();
    ASSERT_TRUE(IsWindow(hwnd));
  }
  EXPECT_FALSE(IsWindow(hwnd)) << "the destructor destroys a live window";
  // Its last messages come when the object's own part is gone: never to its map.
  EXPECT_EQ(ExceptionCount::raised, 0);

  // Taking over a window the object did not create: its map comes first, the window's own
  // procedure does the rest, and the window outlives the object unchanged.
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

// A window without a frame skips the default non-client paint (it would draw nothing); one
// with a border still has it drawn.
TEST(WindowImpl, AFramedWindowsBorderIsStillPaintedByDefault) {
  Recorder w;
  HWND hwnd = w.Create(nullptr, L"framed", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, RECT{40, 40, 160, 100});
  ASSERT_NE(hwnd, nullptr);
  UpdateWindow(hwnd);
  HDC dc = GetWindowDC(hwnd);
  const RECT whole = {0, 0, 120, 60};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &whole, red);
  DeleteObject(red);
  ASSERT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_NE(GetPixel(dc, 0, 0), RGB(255, 0, 0)) << "the border was not drawn again";
  ReleaseDC(hwnd, dc);
}
