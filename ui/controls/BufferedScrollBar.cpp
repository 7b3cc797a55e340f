#include "ui/controls/BufferedScrollBar.h"

#include "log/Log.h"

namespace ui {

BufferedScrollBar::~BufferedScrollBar() {
  DestroyWindow();
  FreeBuffer();
}

HWND BufferedScrollBar::CreateVertical(HWND parent) {
  HWND bar = Create(parent, nullptr, WS_CHILD | SBS_VERT, 0, RECT{0, 0, 10, 10});
  if (!bar) Log("%s: The list's scroll bar could not be created (error %lu).\n", "BufferedScrollBar", GetLastError());
  return bar;
}

LRESULT BufferedScrollBar::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (wParam) {  // painting into a given context already
    handled = FALSE;
    return 0;
  }
  // The whole bar is drawn and copied, so its update region is only validated (BeginPaint
  // would hide and show a caret it does not have).
  ValidateRect(Hwnd(), nullptr);
  HDC dc = GetDC(Hwnd());
  RECT client;
  GetClientRect(Hwnd(), &client);
  HDC buffer = Buffer(dc, client.right, client.bottom);
  // The control paints into the context a WM_PAINT hands it, as the standard controls do.
  DefaultProc(msg, reinterpret_cast<WPARAM>(buffer ? buffer : dc), lParam);
  if (buffer) BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  ReleaseDC(Hwnd(), dc);
  return 0;
}

HDC BufferedScrollBar::Buffer(HDC like, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (mBuffer && mBufferSize.cx == width && mBufferSize.cy == height) return mBuffer;
  FreeBuffer();
  // A section, not a bitmap compatible with the screen: blits into it need not ask what
  // the screen is.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  mBitmap = CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  mBuffer = mBitmap ? CreateCompatibleDC(like) : nullptr;
  if (!mBuffer) {
    Log("%s: No %d x %d bitmap for the scroll bar (error %lu); it paints unbuffered.\n", "BufferedScrollBar::Buffer",
        width, height, GetLastError());
    FreeBuffer();
    return nullptr;
  }
  mOldBitmap = SelectObject(mBuffer, mBitmap);
  mBufferSize = {width, height};
  return mBuffer;
}

void BufferedScrollBar::FreeBuffer() {
  if (mBuffer) {
    SelectObject(mBuffer, mOldBitmap);
    DeleteDC(mBuffer);
  }
  if (mBitmap) DeleteObject(mBitmap);
  mBuffer = nullptr;
  mBitmap = nullptr;
  mOldBitmap = nullptr;
  mBufferSize = {0, 0};
}

}  // namespace ui
