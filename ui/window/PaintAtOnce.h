// Painting a window with its descendants in one pass. Under Wine every window painted on
// its own costs several round trips to the window server (its update region, its visible
// region, the copy to the screen): the popup's thirty windows took 20 to 40 ms. Windows
// of this framework that draw their whole client on WM_PRINTCLIENT (PrintsClient) are
// drawn here into one bitmap, copied to the screen at once and validated; other windows
// (system controls) keep their update regions and paint themselves as before.
#pragma once
#include <windows.h>

namespace ui {

// Draws root and every visible descendant that prints its client, copies the result over
// their places on the screen, and validates them. Nothing is drawn when root is hidden.
void PaintAtOnce(HWND root);

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
