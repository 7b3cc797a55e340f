// An icon drawn from its kept print looks as the icon drawn over the same brush, whichever
// colours come and go, and a brush that is not one colour gets the icon drawn each time.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "ui/controls/IconPrints.h"
#include "ui/controls/MemoryBitmap.h"

namespace {
constexpr int kWidth = 24, kHeight = 20, kX = 5, kY = 3;

// A 16 x 16 icon with see-through, half see-through and solid pixels of several colours.
HICON MakeBlendedIcon() {
  BITMAPV5HEADER header = {};
  header.bV5Size = sizeof header;
  header.bV5Width = 16;
  header.bV5Height = -16;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint32_t alpha = x < 4 ? 0 : (x < 10 ? 0x80 : 0xFF);
      const uint32_t red = (y * 16) * alpha / 255, green = 0x40 * alpha / 255, blue = (x * 16) * alpha / 255;
      pixels[y * 16 + x] = alpha << 24 | red << 16 | green << 8 | blue;  // premultiplied
    }
  }
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  ICONINFO info = {TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

std::vector<uint8_t> Pixels(const ui::MemoryBitmap& bitmap) {
  GdiFlush();
  BITMAP info = {};
  GetObjectW(GetCurrentObject(bitmap.Dc(), OBJ_BITMAP), sizeof info, &info);
  const auto* bits = static_cast<const uint8_t*>(info.bmBits);
  return std::vector<uint8_t>(bits, bits + static_cast<size_t>(info.bmWidthBytes) * info.bmHeight);
}

// The bitmap filled grey, then the icon put at (kX, kY) one way or the other.
std::vector<uint8_t> Drawn(HICON icon, HBRUSH brush, bool fromPrint) {
  ui::MemoryBitmap bitmap;
  HDC screen = GetDC(nullptr);
  HDC dc = bitmap.Ensure(screen, kWidth, kHeight);
  ReleaseDC(nullptr, screen);
  EXPECT_NE(dc, nullptr);
  if (!dc) return {};
  const RECT all = {0, 0, kWidth, kHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  if (fromPrint) {
    ui::DrawIconOver(dc, kX, kY, icon, brush);
  } else {
    const RECT box = {kX, kY, kX + 16, kY + 16};
    FillRect(dc, &box, brush);
    DrawIconEx(dc, kX, kY, icon, 16, 16, 0, nullptr, DI_NORMAL);
  }
  return Pixels(bitmap);
}

TEST(IconPrint, LooksAsTheIconDrawnOverTheBrushForEachColourAndForAPatternedBrush) {
  HICON icon = MakeBlendedIcon();
  ASSERT_NE(icon, nullptr);
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  HBRUSH hover = CreateSolidBrush(RGB(0xE5, 0xF3, 0xFF));
  HBRUSH hatched = CreateHatchBrush(HS_DIAGCROSS, RGB(0x20, 0x80, 0x20));
  // Each colour twice: made the first time, copied the second; white again after another.
  for (HBRUSH brush : {white, white, hover, hover, white, hatched, hatched}) {
    const std::vector<uint8_t> expected = Drawn(icon, brush, false);
    EXPECT_EQ(Drawn(icon, brush, true), expected) << "over brush " << brush;
  }
  // Nothing drawn for no icon, not even the brush.
  EXPECT_EQ(Drawn(nullptr, hover, true), Drawn(nullptr, nullptr, true));
  DeleteObject(hatched);
  DeleteObject(hover);
  DestroyIcon(icon);
}

}  // namespace
