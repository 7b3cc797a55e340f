#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/controls/HintEdit.h"
#include "ui/window/Messages.h"

namespace controls_test {

// A window's client area as captured from its DC after painting.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> bgra;  // top-down rows
};

Shot Capture(HWND hwnd) {
  Shot shot;
  RECT rc;
  GetClientRect(hwnd, &rc);
  shot.width = rc.right;
  shot.height = rc.bottom;
  if (shot.width <= 0 || shot.height <= 0) return shot;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = shot.width;
  bi.bmiHeader.biHeight = -shot.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC windowDc = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(windowDc);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(windowDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, shot.width, shot.height, windowDc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  shot.bgra.assign(pixels, pixels + static_cast<size_t>(shot.width) * shot.height);
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(hwnd, windowDc);
  return shot;
}

int CountColor(const Shot& shot, COLORREF color) {
  const uint32_t wanted = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int count = 0;
  for (uint32_t p : shot.bgra) count += (p & 0xFFFFFF) == wanted;
  return count;
}

// Saved under <build>/screenshots/controls (tests run in <build>/bin) for a person to look at.
void SaveBmp(const Shot& shot, const wchar_t* name) {
  CreateDirectoryW(L"..\\screenshots", nullptr);
  CreateDirectoryW(L"..\\screenshots\\controls", nullptr);
  std::wstring path = std::wstring(L"..\\screenshots\\controls\\") + name + L".bmp";
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return;
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = shot.width;
  info.biHeight = -shot.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  const DWORD dataSize = static_cast<DWORD>(shot.bgra.size() * 4);
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + dataSize;
  fwrite(&header, sizeof(header), 1, f);
  fwrite(&info, sizeof(info), 1, f);
  fwrite(shot.bgra.data(), 1, dataSize, f);
  fclose(f);
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace controls_test

using controls_test::Capture;
using controls_test::CountColor;
using controls_test::PumpPending;

namespace {

constexpr UINT kEditId = 31;
const COLORREF kHintGrey = RGB(87, 87, 87);

// Stands in for the popup: reflects the edit's notifications and counts what it hears.
class SearchHost : public ui::WindowImpl {
 public:
  int searchChanged = 0;
  int searchDone = 0;
  int hidePopup = 0;
  HWND lastSender = nullptr;
  std::vector<WPARAM> commands;

  HWND CreateVisible() {
    RECT rc = {60, 60, 360, 200};
    HWND hwnd = Create(nullptr, L"search host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, rc);
    UpdateWindow(hwnd);
    return hwnd;
  }
  void Reset() {
    searchChanged = searchDone = hidePopup = 0;
    commands.clear();
  }

 protected:
  const wchar_t* ClassName() const override { return L"ZwTest Search Host"; }
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_SEARCH_CHANGED, OnSearchChanged)
    ZW_MESSAGE_HANDLER(WM_SEARCH_DONE, OnSearchDone)
    ZW_MESSAGE_HANDLER(WM_HIDE_POPUP, OnHidePopup)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()

  LRESULT OnSearchChanged(UINT, WPARAM w, LPARAM, BOOL&) {
    ++searchChanged;
    lastSender = reinterpret_cast<HWND>(w);
    return 0;
  }
  LRESULT OnSearchDone(UINT, WPARAM w, LPARAM, BOOL&) {
    ++searchDone;
    lastSender = reinterpret_cast<HWND>(w);
    return 0;
  }
  LRESULT OnHidePopup(UINT, WPARAM, LPARAM, BOOL&) {
    ++hidePopup;
    return 0;
  }
  LRESULT OnCommand(UINT, WPARAM w, LPARAM, BOOL& handled) {
    commands.push_back(w);
    handled = FALSE;  // on to the reflection
    return 0;
  }
};

struct SearchBox {
  SearchHost host;
  ui::HintEdit edit;
  HWND hwnd = nullptr;

  explicit SearchBox(DWORD extraStyle = ES_AUTOHSCROLL) {
    host.CreateVisible();
    RECT rc = {10, 10, 210, 34};
    hwnd = edit.Create(host.Hwnd(), L"", WS_CHILD | WS_VISIBLE | WS_BORDER | extraStyle, 0, rc,
                       kEditId);
    edit.SetHintText(L"Search virtual machines");
    SetFocus(host.Hwnd());
    PumpPending();
    host.Reset();
  }
  std::wstring Text() const {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
  }
  void Char(wchar_t c) { SendMessageW(hwnd, WM_CHAR, c, 1); }
  int HintPixels() {
    UpdateWindow(hwnd);
    return CountColor(Capture(hwnd), kHintGrey);
  }
};

}  // namespace

// --- Keys -------------------------------------------------------------------------------

TEST(HintEditKeys, EscapeWithTextEmptiesItAndAnnouncesTheChange) {
  SearchBox box;
  SetWindowTextW(box.hwnd, L"web");
  PumpPending();
  box.host.Reset();

  box.Char(VK_ESCAPE);
  EXPECT_EQ(box.Text(), L"");
  PumpPending();
  EXPECT_GE(box.host.searchChanged, 1);
  EXPECT_EQ(box.host.lastSender, box.hwnd);
  EXPECT_EQ(box.host.hidePopup, 0);
}

TEST(HintEditKeys, EscapeOnAnEmptyBoxHidesThePopupWithoutAnotherChange) {
  SearchBox box;
  SetWindowTextW(box.hwnd, L"web");
  box.Char(VK_ESCAPE);
  PumpPending();
  box.host.Reset();

  box.Char(VK_ESCAPE);
  EXPECT_EQ(box.host.hidePopup, 0);  // posted, not sent
  PumpPending();
  EXPECT_EQ(box.host.hidePopup, 1);
  EXPECT_EQ(box.host.searchChanged, 0);
}

TEST(HintEditKeys, EnterReportsTheSearchDoneAndLeavesTheTextAlone) {
  // A multi-line edit that wants Enter would insert a line break if it saw the key.
  SearchBox box(ES_MULTILINE | ES_WANTRETURN);
  SetWindowTextW(box.hwnd, L"db01");
  PumpPending();
  box.host.Reset();

  box.Char(VK_RETURN);
  EXPECT_EQ(box.host.searchDone, 1);  // sent: handled before Enter returns
  EXPECT_EQ(box.host.lastSender, box.hwnd);
  EXPECT_EQ(box.Text(), L"db01");
  PumpPending();
  EXPECT_EQ(box.host.searchChanged, 0);
}

TEST(HintEditKeys, TabIsSwallowed) {
  SearchBox box(ES_MULTILINE);  // would insert a tab character
  SetWindowTextW(box.hwnd, L"a");
  PumpPending();
  box.host.Reset();

  box.Char(VK_TAB);
  PumpPending();
  EXPECT_EQ(box.Text(), L"a");
  EXPECT_EQ(box.host.searchChanged, 0);
  EXPECT_EQ(box.host.searchDone, 0);
  EXPECT_EQ(box.host.hidePopup, 0);
}

TEST(HintEditKeys, OtherCharactersAreTypedAndAnnounced) {
  SearchBox box;
  box.Char(L'v');
  box.Char(L'm');
  EXPECT_EQ(box.Text(), L"vm");
  PumpPending();
  EXPECT_GE(box.host.searchChanged, 2);
}

// --- Programmatic text -------------------------------------------------------------------

TEST(HintEditText, SetTextIsAnnouncedLikeTypedText) {
  // A multi-line edit does not report EN_CHANGE for WM_SETTEXT itself: what arrives is the box's.
  SearchBox box(ES_MULTILINE);
  SetWindowTextW(box.hwnd, L"prod");
  ASSERT_FALSE(box.host.commands.empty());
  EXPECT_EQ(box.host.commands.back(), MAKEWPARAM(kEditId, EN_CHANGE));
  PumpPending();
  EXPECT_EQ(box.host.searchChanged, 1);
  EXPECT_EQ(box.host.lastSender, box.hwnd);
  EXPECT_EQ(box.Text(), L"prod");
}

TEST(HintEditText, WindowTextIsWhatWasTypedNotTheHint) {
  SearchBox box;
  EXPECT_EQ(box.Text(), L"");
  box.Char(L'x');
  EXPECT_EQ(box.Text(), L"x");
}

TEST(HintEditText, UsesItsOwnTenPointFont) {
  SearchBox box;
  ASSERT_NE(box.edit.Font(), nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(box.hwnd, WM_GETFONT, 0, 0)), box.edit.Font());
  LOGFONTW lf = {};
  ASSERT_NE(GetObjectW(box.edit.Font(), sizeof(lf), &lf), 0);
  EXPECT_STREQ(lf.lfFaceName, L"MS Shell Dlg 2");
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(lf.lfHeight, -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
}

// --- Hint --------------------------------------------------------------------------------

TEST(HintEditHint, DrawnOnlyWhileEmptyAndUnfocused) {
  SearchBox box;
  const int emptyUnfocused = box.HintPixels();
  controls_test::SaveBmp(Capture(box.hwnd), L"hint_edit_empty");
  EXPECT_GT(emptyUnfocused, 20);

  SetFocus(box.hwnd);
  EXPECT_EQ(box.HintPixels(), 0);

  SetFocus(box.host.Hwnd());
  EXPECT_EQ(box.HintPixels(), emptyUnfocused);

  SetWindowTextW(box.hwnd, L"abc");
  PumpPending();
  EXPECT_EQ(box.HintPixels(), 0);
  controls_test::SaveBmp(Capture(box.hwnd), L"hint_edit_text");

  SetWindowTextW(box.hwnd, L"");
  PumpPending();
  EXPECT_EQ(box.HintPixels(), emptyUnfocused);
}

TEST(HintEditHint, NoHintTextDrawsNothingGrey) {
  SearchBox box;
  box.edit.SetHintText(L"");
  EXPECT_EQ(box.HintPixels(), 0);
}
