// Pixel sizes of the popup interface, scaled from their 96-DPI values and truncated.
#pragma once

namespace utils {

struct LayoutMetrics {
  int margin;        // 8 at 96 DPI
  int buttonHeight;  // 23
  int comboWidth;    // 100: wide buttons, combo boxes and the search box
  int buttonWidth;   // 80
  int lineHeight;    // 32: one VM row line
  int popupWidth;    // 320
  int popupHeight;   // 445
};

// Every length = trunc(length at 96 DPI x scale).
int ScalePixels(int pixelsAt96Dpi, double scale);
LayoutMetrics LayoutMetricsFor(double scale);

// Computed from GetDpiScale() when the program is loaded, before wWinMain runs.
extern const int MARGIN;
extern const int BUTTON_HEIGHT;
extern const int COMBO_WIDTH;
extern const int BUTTON_WIDTH;
extern const int LINE_HEIGHT;

}  // namespace utils
