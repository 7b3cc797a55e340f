#include "ui/window/LayoutMetrics.h"

#include "ui/window/Display.h"

namespace utils {

int ScalePixels(int pixelsAt96Dpi, double scale) { return static_cast<int>(pixelsAt96Dpi * scale); }

LayoutMetrics LayoutMetricsFor(double scale) {
  const LayoutMetrics& base = kMetricsAt96Dpi;
  return LayoutMetrics{ScalePixels(base.margin, scale),           ScalePixels(base.buttonHeight, scale),
                       ScalePixels(base.comboWidth, scale),       ScalePixels(base.buttonWidth, scale),
                       ScalePixels(base.lineHeight, scale),       ScalePixels(base.bandHeight, scale),
                       ScalePixels(base.searchTextHeight, scale), ScalePixels(base.popupWidth, scale),
                       ScalePixels(base.popupHeight, scale)};
}

namespace {
// Defined before the constants below, so it is made first.
const LayoutMetrics kScreenMetrics = LayoutMetricsFor(GetDpiScale());
}  // namespace

const int MARGIN = kScreenMetrics.margin;
const int BUTTON_HEIGHT = kScreenMetrics.buttonHeight;
const int COMBO_WIDTH = kScreenMetrics.comboWidth;
const int BUTTON_WIDTH = kScreenMetrics.buttonWidth;
const int LINE_HEIGHT = kScreenMetrics.lineHeight;

}  // namespace utils
