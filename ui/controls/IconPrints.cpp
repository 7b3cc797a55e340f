#include "ui/controls/IconPrints.h"

#include <map>
#include <memory>
#include <utility>

#include "ui/controls/MemoryBitmap.h"

namespace ui {

namespace {
constexpr int kSize = 16;

void DrawDirectly(HDC dc, int x, int y, HICON icon, HBRUSH background) {
  const RECT box = {x, y, x + kSize, y + kSize};
  FillRect(dc, &box, background);
  DrawIconEx(dc, x, y, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
}
}  // namespace

void DrawIconOver(HDC dc, int x, int y, HICON icon, HBRUSH background) {
  LOGBRUSH brush = {};
  if (!icon || GetObjectW(background, sizeof brush, &brush) != sizeof brush || brush.lbStyle != BS_SOLID) {
    if (icon) DrawDirectly(dc, x, y, icon, background);
    return;
  }
  // Per thread: GDI objects are used by the thread that draws the window.
  thread_local std::map<std::pair<HICON, COLORREF>, std::unique_ptr<MemoryBitmap>> prints;
  std::unique_ptr<MemoryBitmap>& print = prints[{icon, brush.lbColor}];
  if (!print) {
    auto made = std::make_unique<MemoryBitmap>();
    HDC printDc = made->Ensure(dc, kSize, kSize);
    if (!printDc) {
      prints.erase({icon, brush.lbColor});
      DrawDirectly(dc, x, y, icon, background);
      return;
    }
    DrawDirectly(printDc, 0, 0, icon, background);
    print = std::move(made);
  }
  BitBlt(dc, x, y, kSize, kSize, print->Dc(), 0, 0, SRCCOPY);
}

}  // namespace ui
