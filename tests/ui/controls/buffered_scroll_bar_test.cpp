// The scroll bar that paints through a bitmap shows what the control draws directly, at
// each thumb place and length and after it grows, whether it draws the part between its
// arrows itself (at rest) or the control paints it whole (disabled).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tests/support/PopupTestSupport.h"
#include "ui/controls/BufferedScrollBar.h"

namespace {
// What the control draws directly on its window (the bar then covered over), and what the
// bar shows when it paints.
struct Drawn {
  std::vector<uint8_t> direct, painted;
};

Drawn DrawBothWays(HWND hwnd, int position) {
  Drawn drawn;
  SetScrollPos(hwnd, SB_CTL, position, TRUE);
  drawn.direct = popuptest::ScreenPixels(hwnd);
  HDC dc = GetDC(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  drawn.painted = popuptest::ScreenPixels(hwnd);
  return drawn;
}

struct ScrollBarTest : testing::Test {
  void SetUp() override {
    host.CreateParent(200, 340);
    hwnd = bar.CreateVertical(host.Hwnd());
    ASSERT_NE(hwnd, nullptr);
    SetRange(300);
    Place(320);
  }
  void SetRange(int page) {
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE, 0, 9999, static_cast<UINT>(page)};
    SetScrollInfo(hwnd, SB_CTL, &info, FALSE);
  }
  void Place(int height) {
    SetWindowPos(hwnd, nullptr, 180, 0, GetSystemMetrics(SM_CXVSCROLL), height, SWP_NOZORDER | SWP_SHOWWINDOW);
  }
  popuptest::Parent host;
  ui::BufferedScrollBar bar;
  HWND hwnd = nullptr;
};
}  // namespace

TEST_F(ScrollBarTest, PaintsWhatTheControlDrawsDirectlyAtEachPlaceLengthAndSize) {
  // Painted first at one size, then at other thumb lengths (with and without room for the
  // gripper) and places, then grown.
  for (int height : {200, 320}) {
    Place(height);
    for (int page : {300, 3000, 9000}) {
      SetRange(page);
      std::vector<uint8_t> atTop;
      for (int position : {0, 4000, 9700}) {
        const Drawn drawn = DrawBothWays(hwnd, position);
        if (position == 0) atTop = drawn.direct;
        EXPECT_TRUE(page == 9000 || position == 0 || drawn.direct != atTop) << "the thumb did not move";
        EXPECT_EQ(drawn.painted, drawn.direct) << height << " pixels high, page " << page << ", at " << position;
      }
    }
  }
}

TEST_F(ScrollBarTest, DisabledItShowsWhatTheControlDraws) {
  const std::vector<uint8_t> enabled = DrawBothWays(hwnd, 2000).painted;
  EnableWindow(hwnd, FALSE);  // greyed arrows and no thumb: not the arrows painted before
  Drawn drawn = DrawBothWays(hwnd, 4000);
  EXPECT_NE(drawn.direct, enabled);
  EXPECT_EQ(drawn.painted, drawn.direct) << "disabled";
  EnableWindow(hwnd, TRUE);
  drawn = DrawBothWays(hwnd, 6000);
  EXPECT_EQ(drawn.painted, drawn.direct) << "enabled again";
}
