// Pixel sizes at 96 and 144 DPI.
#include <gtest/gtest.h>

#include <vector>

#include "ui/window/Display.h"
#include "ui/window/LayoutMetrics.h"

namespace {

// margin, buttonHeight, comboWidth, buttonWidth, lineHeight, bandHeight, searchTextHeight, popupWidth,
// popupHeight
std::vector<int> Sizes(const utils::LayoutMetrics& m) {
  return {m.margin,     m.buttonHeight,     m.comboWidth, m.buttonWidth, m.lineHeight,
          m.bandHeight, m.searchTextHeight, m.popupWidth, m.popupHeight};
}

TEST(LayoutMetrics, SizesAreBaseValuesAt96DpiAndScaledAndTruncatedAt144AndFontPointsRound) {
  EXPECT_EQ(Sizes(utils::LayoutMetricsFor(utils::DpiScaleFor(96))),
            (std::vector<int>{8, 23, 100, 80, 32, 35, 16, 320, 445}));
  // 34.5, 52.5 and 667.5 are cut, not rounded.
  EXPECT_EQ(Sizes(utils::LayoutMetricsFor(utils::DpiScaleFor(144))),
            (std::vector<int>{12, 34, 150, 120, 48, 52, 24, 480, 667}));
  EXPECT_EQ(13, utils::PointsToPixelsAt(10, 96));  // 13.33
  EXPECT_EQ(20, utils::PointsToPixelsAt(10, 144));
  EXPECT_EQ(17, utils::PointsToPixelsAt(10, 120));  // 16.67 rounds
}

}  // namespace
