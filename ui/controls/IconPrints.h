// Icons drawn over a plain colour, kept as bitmaps: DrawIconEx blends an icon through
// bitmaps of its own at every call, and a keystroke draws a star in each row it shows.
#pragma once
#include <windows.h>

namespace ui {

// Draws a 16 x 16 icon that lives as long as the program (a shared one) at (x, y) of dc,
// over the colour of a solid brush: copied from the bitmap made the first time. Another
// kind of brush gets the icon drawn over it each time.
void DrawIconOver(HDC dc, int x, int y, HICON icon, HBRUSH background);

}  // namespace ui
