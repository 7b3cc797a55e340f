// The scroll bar that paints through a bitmap shows what the control draws directly, at
// each thumb place and after it grows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tests/support/PopupTestSupport.h"
#include "ui/controls/BufferedScrollBar.h"

TEST(BufferedScrollBar, PaintsWhatTheControlDrawsDirectlyAtEachPlaceAndSize) {
  popuptest::Parent host;
  host.CreateParent(200, 340);
  ui::BufferedScrollBar bar;
  HWND hwnd = bar.CreateVertical(host.Hwnd());
  ASSERT_NE(hwnd, nullptr);
  SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE, 0, 9999, 300};
  SetScrollInfo(hwnd, SB_CTL, &info, FALSE);
  std::vector<uint8_t> atTop;
  for (int height : {200, 320}) {  // painted once at the first size, then grown
    SetWindowPos(hwnd, nullptr, 180, 0, GetSystemMetrics(SM_CXVSCROLL), height, SWP_NOZORDER | SWP_SHOWWINDOW);
    for (int position : {0, 4000, 9700}) {
      SetScrollPos(hwnd, SB_CTL, position, TRUE);  // drawn by the control on its window
      const std::vector<uint8_t> direct = popuptest::ScreenPixels(hwnd);
      if (position == 0) atTop = direct;
      EXPECT_TRUE(position == 0 || direct != atTop) << "the thumb did not move: nothing to compare";
      // Covered over, then painted through the bitmap.
      HDC dc = GetDC(hwnd);
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      ReleaseDC(hwnd, dc);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      EXPECT_EQ(popuptest::ScreenPixels(hwnd), direct) << height << " pixels high, at " << position;
    }
  }
}
