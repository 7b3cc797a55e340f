#include "ui/window/LayoutMetrics.h"

#include "ui/window/Display.h"

namespace utils {

int ScalePixels(int pixelsAt96Dpi, double scale) { return static_cast<int>(pixelsAt96Dpi * scale); }

LayoutMetrics LayoutMetricsFor(double scale) {
  return LayoutMetrics{ScalePixels(8, scale),  ScalePixels(23, scale),  ScalePixels(100, scale),
                       ScalePixels(80, scale), ScalePixels(32, scale),  ScalePixels(320, scale),
                       ScalePixels(445, scale)};
}

const int MARGIN = ScalePixels(8, GetDpiScale());
const int BUTTON_HEIGHT = ScalePixels(23, GetDpiScale());
const int COMBO_WIDTH = ScalePixels(100, GetDpiScale());
const int BUTTON_WIDTH = ScalePixels(80, GetDpiScale());
const int LINE_HEIGHT = ScalePixels(32, GetDpiScale());

}  // namespace utils
