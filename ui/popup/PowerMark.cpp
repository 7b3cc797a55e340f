#include "ui/popup/PowerMark.h"

#include <algorithm>

#include "res/resource.h"
#include "ui/popup/PowerButtons.h"

namespace ui {

PowerMark PowerMarkOf(uint32_t powerState) {
  if (powerState == 0xFFFFFFFF) return PowerMark::kNone;
  const PowerFlags f = PowerFlagsOf(powerState);
  // A state on its way counts before the one it leaves (0x0808 is powering on).
  if (f.poweringOn || f.poweringOff || f.suspending || f.resetting) return PowerMark::kChanging;
  if (f.poweredOn) return PowerMark::kOn;
  if (f.suspended) return PowerMark::kSuspended;
  if (f.poweredOff) return PowerMark::kOff;
  return PowerMark::kNone;
}

UINT PowerMarkTextId(PowerMark mark) {
  switch (mark) {
    case PowerMark::kOn: return IDS_MARK_ON;
    case PowerMark::kOff: return IDS_MARK_OFF;
    case PowerMark::kSuspended: return IDS_MARK_SUSPENDED;
    case PowerMark::kChanging: return IDS_MARK_CHANGING;
    case PowerMark::kNone: break;
  }
  return 0;
}

namespace {

void FillShape(HDC dc, COLORREF colour, const POINT* points, int count) {
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, points, count);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  DeleteObject(brush);
}

void FillBox(HDC dc, COLORREF colour, int left, int top, int right, int bottom) {
  const POINT corners[] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
  FillShape(dc, colour, corners, 4);
}

}  // namespace

void DrawPowerMark(HDC dc, const RECT& box, PowerMark mark) {
  const int size = std::min(box.right - box.left, box.bottom - box.top);
  if (size <= 0) return;
  const int x = box.left, y = box.top;
  switch (mark) {
    case PowerMark::kOn: {
      const POINT triangle[] = {{x, y}, {x + size - 1, y + size / 2}, {x, y + size - 1}};
      FillShape(dc, RGB(16, 124, 16), triangle, 3);
      break;
    }
    case PowerMark::kOff:
      FillBox(dc, RGB(96, 96, 96), x + size / 8, y + size / 8, x + size - size / 8, y + size - size / 8);
      break;
    case PowerMark::kSuspended: {
      const int bar = std::max(1, (size * 3) / 8);
      FillBox(dc, RGB(200, 120, 0), x, y, x + bar, y + size);
      FillBox(dc, RGB(200, 120, 0), x + size - bar, y, x + size, y + size);
      break;
    }
    case PowerMark::kChanging: {
      HPEN pen = CreatePen(PS_SOLID, std::max(1, size / 5), RGB(0, 102, 204));
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      const int inset = std::max(1, size / 10);
      Ellipse(dc, x + inset, y + inset, x + size - inset + 1, y + size - inset + 1);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      DeleteObject(pen);
      break;
    }
    case PowerMark::kNone:
      break;
  }
}

}  // namespace ui
