#include "ui/controls/MemoryBitmap.h"

#include <cstring>

namespace ui {

HDC MemoryBitmap::Ensure(HDC like, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (mDc && mSize.cx == width && mSize.cy == height) return mDc;
  Free();
  // A section, not a bitmap compatible with the screen: blits into it need not ask what
  // the screen is.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  mBitmap = CreateDIBSection(like, &info, DIB_RGB_COLORS, &mBits, nullptr, 0);
  mDc = mBitmap ? CreateCompatibleDC(like) : nullptr;
  if (!mDc) {
    Free();
    return nullptr;
  }
  mOldBitmap = SelectObject(mDc, mBitmap);
  mSize = {width, height};
  return mDc;
}

bool MemoryBitmap::SamePixels(const MemoryBitmap& other) const {
  if (!mBits || !other.mBits || mSize.cx != other.mSize.cx || mSize.cy != other.mSize.cy) return false;
  GdiFlush();
  return std::memcmp(mBits, other.mBits, static_cast<size_t>(mSize.cx) * mSize.cy * 4) == 0;
}

void MemoryBitmap::Free() {
  if (mDc) {
    SelectObject(mDc, mOldBitmap);
    DeleteDC(mDc);
  }
  if (mBitmap) DeleteObject(mBitmap);
  mDc = nullptr;
  mBitmap = nullptr;
  mOldBitmap = nullptr;
  mBits = nullptr;
  mSize = {0, 0};
}

}  // namespace ui
