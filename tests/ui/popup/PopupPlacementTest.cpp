// Where the popup goes beside the taskbar or near an overflow click, its sizes, the tray
// tip limit and the frame style.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <tuple>

#include "ui/popup/PopupPlacement.h"

namespace {

using ui::PlaceBesideTaskbar;
using ui::PlaceNearClick;

constexpr SIZE kPopup = {320, 445};

struct Case {
  const char* name;
  UINT edge;
  RECT taskbar;
  POINT click;  // {}: beside the taskbar
  POINT expected;
};

// A 1024 x 768 screen with a 40-pixel taskbar on each edge in turn.
constexpr RECT kLeft = {0, 0, 40, 768};
constexpr RECT kTop = {0, 0, 1024, 40};
constexpr RECT kRight = {984, 0, 1024, 768};
constexpr RECT kBottom = {0, 728, 1024, 768};

// Beside the taskbar (no click), or near an overflow click.
TEST(PopupPlacement, BesideTheTaskbarOrNearAnOverflowClickOnEachEdgeAndNowhereBesideAnUnknownOne) {
  const Case cases[] = {
      {"left: right of the bar, bottoms aligned", ABE_LEFT, kLeft, {}, {40, 768 - 445}},
      {"top: below the bar, right edges aligned", ABE_TOP, kTop, {}, {1024 - 320, 40}},
      {"right: left of the bar, bottoms aligned", ABE_RIGHT, kRight, {}, {984 - 320, 768 - 445}},
      {"bottom: above the bar, right edges aligned", ABE_BOTTOM, kBottom, {}, {1024 - 320, 728 - 445}},
      {"left, click high: bottom 10 above it", ABE_LEFT, kLeft, {20, 300}, {40, 290 - 445}},
      {"left, click low: bottom still 10 above it", ABE_LEFT, kLeft, {20, 765}, {40, 755 - 445}},
      {"top, click low: top 10 below it", ABE_TOP, kTop, {900, 200}, {1024 - 320, 210}},
      {"top, click in the bar's height: top at its bottom", ABE_TOP, kTop, {900, 20}, {1024 - 320, 40}},
      {"right, click high: bottom 10 above it", ABE_RIGHT, kRight, {1000, 500}, {984 - 320, 490 - 445}},
      {"right, click low: bottom still 10 above it", ABE_RIGHT, kRight, {1000, 767}, {984 - 320, 757 - 445}},
      {"bottom, click 300 above the bar: bottom 10 above it", ABE_BOTTOM, kBottom, {900, 428}, {1024 - 320, 418 - 445}},
      {"bottom, click beside the bar: bottom at its top", ABE_BOTTOM, kBottom, {900, 750}, {1024 - 320, 728 - 445}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    POINT at = {-1, -1};
    ASSERT_TRUE(c.click.x ? PlaceNearClick(c.edge, c.taskbar, c.click, kPopup, at)
                          : PlaceBesideTaskbar(c.edge, c.taskbar, kPopup, at));
    EXPECT_EQ(c.expected.x, at.x);
    EXPECT_EQ(c.expected.y, at.y);
  }
  // An unknown edge gives no place, and leaves the point as it was.
  POINT at = {7, 9};
  EXPECT_FALSE(PlaceBesideTaskbar(4, kBottom, kPopup, at));
  EXPECT_FALSE(PlaceNearClick(4, kBottom, POINT{500, 500}, kPopup, at));
  EXPECT_EQ(7, at.x);
  EXPECT_EQ(9, at.y);
}

// At 200% on a 1024 x 768 screen the designed 640 x 890 is taller than the work area.
TEST(PopupPlacement, APopupTallerThanTheWorkAreaIsCutToItAndKeptInside) {
  const RECT area = {0, 0, 1024, kBottom.top};
  const SIZE fitted = ui::FitPopupSize(SIZE{640, 890}, area);
  EXPECT_EQ(640, fitted.cx);
  EXPECT_EQ(728, fitted.cy);
  const SIZE same = ui::FitPopupSize(kPopup, area);
  EXPECT_EQ(kPopup.cx, same.cx);
  EXPECT_EQ(kPopup.cy, same.cy);

  POINT at;
  ASSERT_TRUE(PlaceNearClick(ABE_BOTTOM, kBottom, POINT{1000, 100}, fitted, at));
  const POINT kept = ui::KeepInWorkArea(at, fitted, area);
  EXPECT_EQ(0, kept.y) << "an overflow click high up would put the top off screen";
  EXPECT_EQ(1024 - 640, kept.x);
  // A work area that takes in the taskbar (auto-hidden): the popup still ends at its edge.
  const RECT screen = {0, 0, 1024, 768};
  for (const auto& [edge, taskbar, expected] : {std::tuple{ABE_BOTTOM, kBottom, RECT{0, 0, 1024, 728}},
                                                 std::tuple{ABE_TOP, kTop, RECT{0, 40, 1024, 768}},
                                                 std::tuple{ABE_LEFT, kLeft, RECT{40, 0, 1024, 768}},
                                                 std::tuple{ABE_RIGHT, kRight, RECT{0, 0, 984, 768}}}) {
    const RECT beside = ui::AreaBesideTaskbar(edge, taskbar, screen);
    EXPECT_TRUE(EqualRect(&expected, &beside)) << "edge " << edge;
  }
  // A second monitor to the left: its negative coordinates are kept as they are.
  const RECT left = {-1280, 0, 0, 984};
  const POINT inside = ui::KeepInWorkArea(POINT{-330, 600}, kPopup, left);
  EXPECT_EQ(-330, inside.x);
  EXPECT_EQ(984 - kPopup.cy, inside.y);
}

TEST(TrayTip, UpToTheLimitTheTextIsWholeLongerKeeps124CharactersAndAnEllipsis) {
  std::wstring text;
  for (int i = 0; i < 128; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
  EXPECT_EQ(text.substr(0, 127), ui::TruncateTrayTip(text.substr(0, 127)));
  EXPECT_EQ(L"", ui::TruncateTrayTip(L""));
  const std::wstring tip = ui::TruncateTrayTip(text);
  EXPECT_EQ(text.substr(0, 124) + L"...", tip);
  NOTIFYICONDATAW data;
  EXPECT_LT(tip.size(), ARRAYSIZE(data.szTip)) << "fits the shell's buffer with its terminator";
}

TEST(PopupFrame, ThickFrameUnderCompositionThinBorderWithout) {
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_THICKFRAME), ui::PopupFrameStyle(WS_POPUP | WS_BORDER, true));
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_BORDER), ui::PopupFrameStyle(WS_POPUP | WS_THICKFRAME, false));
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_BORDER),
            ui::PopupFrameStyle(WS_POPUP | WS_VISIBLE | WS_BORDER, false));
}

}  // namespace
