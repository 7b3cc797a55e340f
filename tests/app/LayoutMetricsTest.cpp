// Pixel sizes at 96 and 144 DPI.
#include <gtest/gtest.h>

#include "app/Display.h"
#include "app/LayoutMetrics.h"

namespace {

TEST(LayoutMetrics, At96DpiEverySizeIsItsBaseValue) {
  const utils::LayoutMetrics m = utils::LayoutMetricsFor(utils::DpiScaleFor(96));
  EXPECT_EQ(8, m.margin);
  EXPECT_EQ(23, m.buttonHeight);
  EXPECT_EQ(100, m.comboWidth);
  EXPECT_EQ(80, m.buttonWidth);
  EXPECT_EQ(32, m.lineHeight);
  EXPECT_EQ(320, m.popupWidth);
  EXPECT_EQ(445, m.popupHeight);
}

TEST(LayoutMetrics, At144DpiSizesAreScaledAndTruncated) {
  const utils::LayoutMetrics m = utils::LayoutMetricsFor(utils::DpiScaleFor(144));
  EXPECT_EQ(12, m.margin);
  EXPECT_EQ(34, m.buttonHeight);  // 34.5
  EXPECT_EQ(150, m.comboWidth);
  EXPECT_EQ(120, m.buttonWidth);
  EXPECT_EQ(48, m.lineHeight);
  EXPECT_EQ(480, m.popupWidth);
  EXPECT_EQ(667, m.popupHeight);  // 667.5
}

TEST(LayoutMetrics, FontPointsScaleWithTheDpi) {
  EXPECT_EQ(13, utils::PointsToPixelsAt(10, 96));  // 13.33
  EXPECT_EQ(20, utils::PointsToPixelsAt(10, 144));
  EXPECT_EQ(17, utils::PointsToPixelsAt(10, 120));  // 16.67 rounds
}

TEST(LayoutMetrics, LoadTimeConstantsFollowTheScreen) {
  const utils::LayoutMetrics m = utils::LayoutMetricsFor(utils::GetDpiScale());
  EXPECT_EQ(m.margin, utils::MARGIN);
  EXPECT_EQ(m.buttonHeight, utils::BUTTON_HEIGHT);
  EXPECT_EQ(m.comboWidth, utils::COMBO_WIDTH);
  EXPECT_EQ(m.buttonWidth, utils::BUTTON_WIDTH);
  EXPECT_EQ(m.lineHeight, utils::LINE_HEIGHT);
}

}  // namespace
