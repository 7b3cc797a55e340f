// Screen facts that size and style the windows.
#pragma once

namespace utils {

// True only when dwmapi.dll reports desktop composition on.
bool IsDwmCompositionEnabled();
// Vertical logical DPI / 96, read on the first call and kept for the life of the process.
double GetDpiScale();
// Pixel height of a font of the given point size at the screen's vertical DPI.
int PointsToPixels(int points);

// The same two computations for a given DPI (the screen's DPI is read only once).
double DpiScaleFor(int dpi);
int PointsToPixelsAt(int points, int dpi);

}  // namespace utils
