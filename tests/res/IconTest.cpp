// Icons: each named one loads at 16 x 16 with real pixels, no two are the same
// picture, the module holds no icon without a name, and the program's has its own sizes.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <vector>

#include "ResourceIdLists.h"

namespace {

// The pixels (BGRA, top-down) of the icon loaded at size x size; none when it does not load.
std::vector<DWORD> ReadIcon(int id, int size) {
  std::vector<DWORD> bgra;
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
  if (!icon) return bgra;
  ICONINFO info{};
  if (GetIconInfo(icon, &info)) {
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof(bm), &bm);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bgra.resize(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC dc = GetDC(nullptr);
    if (!GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, bgra.data(), &bi, DIB_RGB_COLORS)) bgra.clear();
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  DestroyIcon(icon);
  return bgra;
}

// Width of the image that the icon group offers for the given size.
int NativeImageWidth(int groupId, int size) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(groupId), RT_GROUP_ICON);
  if (!group) return 0;
  auto* dir = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
  int imageId = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(imageId), RT_ICON);
  if (!image) return 0;
  auto* header = static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
  return header ? header->biWidth : 0;
}

}  // namespace

// The module holds exactly the named icons; each loads at 16 x 16 with real pixels and a
// transparent background, and no two are the same picture.
TEST(Icons, EveryNamedIconLoadsAt16x16AsAPictureOfItsOwn) {
  const std::set<int> named(std::begin(kIconIds), std::end(kIconIds));
  std::set<std::vector<DWORD>> seen;
  for (int icon : kIconIds) {
    SCOPED_TRACE(testing::Message() << "icon " << icon);
    const std::vector<DWORD> pixels = ReadIcon(icon, 16);
    ASSERT_EQ(pixels.size(), 256u);
    int opaque = 0, clear = 0;
    for (DWORD p : pixels) {
      opaque += (p >> 24) >= 128;
      clear += (p >> 24) == 0;
    }
    EXPECT_GE(opaque, 20) << "nearly empty";
    EXPECT_GE(clear, 4) << "no transparent background";
    EXPECT_TRUE(seen.insert(pixels).second) << "repeats another";
  }
  const std::vector<int> present = ResourceNames(RT_GROUP_ICON);
  EXPECT_EQ(std::set<int>(present.begin(), present.end()), named);
  EXPECT_EQ(present.size(), named.size());
}

TEST(Icons, ApplicationIconHasNative16And32Images) {
  EXPECT_EQ(NativeImageWidth(IDI_APP, 16), 16);
  EXPECT_EQ(NativeImageWidth(IDI_APP, 32), 32);
  EXPECT_EQ(ReadIcon(IDI_APP, 32).size(), 1024u);
}
