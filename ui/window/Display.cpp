#include "ui/window/Display.h"

#include <windows.h>

namespace {

int ScreenDpiY() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 96;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int CachedScreenDpiY() {
  static const int dpi = ScreenDpiY();
  return dpi;
}

}  // namespace

namespace utils {

bool IsDwmCompositionEnabled() {
  HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  if (!dwm) return false;
  using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
  auto isEnabled =
      reinterpret_cast<DwmIsCompositionEnabledFn>(GetProcAddress(dwm, "DwmIsCompositionEnabled"));
  BOOL enabled = FALSE;
  const bool on = isEnabled && SUCCEEDED(isEnabled(&enabled)) && enabled;
  FreeLibrary(dwm);
  return on;
}

double DpiScaleFor(int dpi) { return dpi / 96.0; }

int PointsToPixelsAt(int points, int dpi) { return MulDiv(points, dpi, 72); }

double GetDpiScale() {
  static const double scale = DpiScaleFor(CachedScreenDpiY());
  return scale;
}

int PointsToPixels(int points) { return PointsToPixelsAt(points, CachedScreenDpiY()); }

}  // namespace utils
