// Notifications a parent reflects go back to the control that sent them.
#include <gtest/gtest.h>

#include "TestWindows.h"
// After the window headers: it needs their types.
#include <commctrl.h>

using testwin::Recorder;
using testwin::ReflectedEdit;

namespace {
struct Pair {
  Recorder parent;
  ReflectedEdit edit;
  HWND editHwnd = nullptr;
  Pair() {
    parent.CreateTopLevel();
    editHwnd = edit.Create(parent.Hwnd(), L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, RECT{5, 5, 150, 30}, 77);
  }
};
}  // namespace

// An edit's change comes back to it only when its parent reflects. The control is found in
// lParam, or through the NMHDR that lParam points to; a menu command (no control) and a
// message that is no notification are left to the parent.
TEST(Reflection, NotificationsAndColourMessagesGoBackToTheControlOnlyWhenItsParentReflects) {
  for (bool reflect : {true, false}) {
    SCOPED_TRACE(reflect ? "reflecting" : "not reflecting");
    Pair p;
    ASSERT_NE(p.editHwnd, nullptr);
    p.parent.reflect = reflect;
    SetWindowTextW(p.editHwnd, L"hello");  // EN_CHANGE goes to the parent
    EXPECT_EQ(!p.edit.reflectedCodes.empty() && p.edit.reflectedCodes.back() == EN_CHANGE, reflect);
    // The superclassed edit keeps its own behaviour.
    SendMessageW(p.editHwnd, EM_SETSEL, 0, -1);
    DWORD start = 0, end = 0;
    SendMessageW(p.editHwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, 5u);
  }
  Pair p;
  HDC dc = GetDC(p.editHwnd);
  NMHDR header = {p.editHwnd, 77, NM_CLICK};
  const LPARAM edit = reinterpret_cast<LPARAM>(p.editHwnd);
  const struct {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool reflected;
  } cases[] = {{WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), edit, true},
               {WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header), true},
               {WM_COMMAND, 5, 0, false},
               {WM_PAINT, 0, edit, false}};
  for (const auto& c : cases) {
    LRESULT result = 123;
    EXPECT_EQ(ui::WindowImpl::ReflectNotifications(p.parent.Hwnd(), c.msg, c.wParam, c.lParam, result), c.reflected)
        << "message 0x" << std::hex << c.msg;
    if (!c.reflected) {
      EXPECT_EQ(result, 123) << "left to default processing";
    }
  }
  ReleaseDC(p.editHwnd, dc);
}
