#include <gtest/gtest.h>

#include "TestWindows.h"
// After the window headers: it needs their types.
#include <commctrl.h>
#include "ui/window/Messages.h"

using testwin::Recorder;
using testwin::ReflectedEdit;

namespace {
struct Pair {
  Recorder parent;
  ReflectedEdit edit;
  HWND editHwnd = nullptr;
  Pair() {
    parent.CreateTopLevel();
    RECT rc = {5, 5, 150, 30};
    editHwnd = edit.Create(parent.Hwnd(), L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, rc, 77);
  }
};
}  // namespace

TEST(Reflection, ControlNotificationReachesTheControlItself) {
  Pair p;
  ASSERT_NE(p.editHwnd, nullptr);
  SetWindowTextW(p.editHwnd, L"abc");  // EN_CHANGE goes to the parent, which reflects it
  ASSERT_FALSE(p.edit.reflectedCodes.empty());
  EXPECT_EQ(p.edit.reflectedCodes.back(), EN_CHANGE);
}

TEST(Reflection, SuperclassedEditKeepsItsOwnBehaviour) {
  Pair p;
  SetWindowTextW(p.editHwnd, L"hello");
  EXPECT_EQ(GetWindowTextLengthW(p.editHwnd), 5);
  SendMessageW(p.editHwnd, EM_SETSEL, 0, -1);
  DWORD start = 0, end = 0;
  SendMessageW(p.editHwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, 5u);
}

TEST(Reflection, WithoutReflectionTheControlHearsNothing) {
  Pair p;
  p.parent.reflect = false;
  SetWindowTextW(p.editHwnd, L"abc");
  EXPECT_TRUE(p.edit.reflectedCodes.empty());
}

TEST(Reflection, MessageWithoutSourceControlIsLeftToDefaultProcessing) {
  Pair p;
  LRESULT result = 123;
  // A menu command has no control in lParam.
  EXPECT_FALSE(ui::WindowImpl::ReflectNotifications(p.parent.Hwnd(), WM_COMMAND, 5, 0, result));
  EXPECT_EQ(result, 123);
  // A message that is not a notification is never reflected.
  EXPECT_FALSE(ui::WindowImpl::ReflectNotifications(p.parent.Hwnd(), WM_PAINT, 0,
                                                    reinterpret_cast<LPARAM>(p.editHwnd), result));
}

// The control is found in lParam, or through the NMHDR that lParam points to.
TEST(Reflection, NotificationsAndColourMessagesGoBackToTheControl) {
  Pair p;
  HDC dc = GetDC(p.editHwnd);
  NMHDR header = {p.editHwnd, 77, NM_CLICK};
  const struct {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  } cases[] = {{WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(p.editHwnd)},
               {WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)}};
  for (const auto& c : cases) {
    LRESULT result = 0;
    EXPECT_TRUE(ui::WindowImpl::ReflectNotifications(p.parent.Hwnd(), c.msg, c.wParam, c.lParam, result))
        << "message 0x" << std::hex << c.msg;
  }
  ReleaseDC(p.editHwnd, dc);
}
