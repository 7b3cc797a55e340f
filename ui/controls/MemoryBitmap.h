// A 32-bit top-down bitmap in memory with a device context that draws into it, made again
// when the size asked for changes.
#pragma once
#include <windows.h>

#include <cstddef>

namespace ui {

class MemoryBitmap {
 public:
  MemoryBitmap() = default;
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;
  ~MemoryBitmap() { Free(); }

  // The context of a width x height bitmap (the one held, when of that size already), or
  // null when none could be made; `like` is the context it is made compatible with.
  HDC Ensure(HDC like, int width, int height);
  HDC Dc() const { return mDc; }
  // The same size and the same pixels (GDI's queued drawing is flushed first).
  bool SamePixels(const MemoryBitmap& other) const;
  void Free();

 private:
  HDC mDc = nullptr;
  HBITMAP mBitmap = nullptr;
  HGDIOBJ mOldBitmap = nullptr;
  void* mBits = nullptr;
  SIZE mSize = {0, 0};
};

}  // namespace ui
