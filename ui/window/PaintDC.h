// One paint handler for WM_PAINT and WM_PRINTCLIENT (a window drawn with its parent in
// one pass gets the latter).
#pragma once
#include <windows.h>

namespace ui {

// The DC a paint handler draws on: for WM_PAINT begun and ended with the handler, for
// WM_PRINTCLIENT the one the message carries.
class PaintDC {
 public:
  PaintDC(HWND hwnd, UINT msg, WPARAM wParam);
  ~PaintDC();
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC Get() const { return mDC; }

 private:
  HWND mHwnd;
  bool mBegun;
  PAINTSTRUCT mPaint = {};
  HDC mDC;
};

}  // namespace ui
