#include "ui/window/PaintDC.h"

namespace ui {

PaintDC::PaintDC(HWND hwnd, UINT msg, WPARAM wParam)
    : mHwnd(hwnd),
      mBegun(msg != WM_PRINTCLIENT),
      mDC(mBegun ? BeginPaint(hwnd, &mPaint) : reinterpret_cast<HDC>(wParam)) {}

PaintDC::~PaintDC() {
  if (mBegun) EndPaint(mHwnd, &mPaint);
}

}  // namespace ui
