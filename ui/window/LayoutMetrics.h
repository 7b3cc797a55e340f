// Pixel sizes of the popup interface: one table of their 96-DPI values, scaled by the DPI
// and truncated in one place.
#pragma once

namespace utils {

struct LayoutMetrics {
  int margin;            // the shared margin
  int buttonHeight;      // push buttons, and the square power buttons
  int comboWidth;        // wide buttons, combo boxes and the search box
  int buttonWidth;       // push buttons
  int lineHeight;        // one line of a row
  int bandHeight;        // the popup's title band and its add-server row
  int searchTextHeight;  // the search box's text line, without its edges
  int popupWidth;
  int popupHeight;
};

// The sizes at 96 DPI.
constexpr LayoutMetrics kMetricsAt96Dpi = {8, 23, 100, 80, 32, 35, 16, 320, 445};

// Every length = trunc(length at 96 DPI x scale).
int ScalePixels(int pixelsAt96Dpi, double scale);
LayoutMetrics LayoutMetricsFor(double scale);

// LayoutMetricsFor(GetDpiScale()), computed when the program is loaded, before wWinMain runs.
extern const int MARGIN;
extern const int BUTTON_HEIGHT;
extern const int COMBO_WIDTH;
extern const int BUTTON_WIDTH;
extern const int LINE_HEIGHT;

}  // namespace utils
