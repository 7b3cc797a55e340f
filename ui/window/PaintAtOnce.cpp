#include "ui/window/PaintAtOnce.h"

#include <vector>

#include "log/Log.h"
#include "ui/window/Window.h"

namespace ui {
namespace {

const WindowImpl* Printing(HWND hwnd) {
  const WindowImpl* window = WindowImpl::FromHandle(hwnd);
  return window && window->PrintsClient() ? window : nullptr;
}

struct Pass {
  HDC dc;
  HWND root;
  std::vector<HWND> printed;
  std::vector<RECT> others;  // windows that paint themselves, in root's client coordinates
};

RECT InRoot(HWND root, HWND hwnd, bool client) {
  RECT rect = {};
  if (client) {
    GetClientRect(hwnd, &rect);
    MapWindowPoints(hwnd, root, reinterpret_cast<POINT*>(&rect), 2);
  } else {
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, root, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

// hwnd prints, then the children it names, each clipped to its own client and to its
// parents'. Children overlap nowhere in these windows, so their order does not matter.
void PrintTree(Pass& pass, HWND hwnd) {
  const RECT client = InRoot(pass.root, hwnd, true);
  const int saved = SaveDC(pass.dc);
  SetViewportOrgEx(pass.dc, client.left, client.top, nullptr);
  IntersectClipRect(pass.dc, 0, 0, client.right - client.left, client.bottom - client.top);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pass.dc), PRF_CLIENT);
  pass.printed.push_back(hwnd);
  std::vector<HWND> children;
  Printing(hwnd)->AppendChildren(children);
  for (HWND child : children) {
    if (!child || !(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    if (Printing(child)) {
      PrintTree(pass, child);
    } else {
      pass.others.push_back(InRoot(pass.root, child, false));
    }
  }
  RestoreDC(pass.dc, saved);
}

}  // namespace

void PaintAtOnce(HWND root) {
  const char* const kName = "ui::PaintAtOnce";
  if (!IsWindowVisible(root) || !Printing(root)) return;
  RECT client;
  GetClientRect(root, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  // Over the children: their places are drawn here too.
  HDC screen = GetDCEx(root, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!screen) {
    Log("%s: GetDCEx failed with error code 0x%08x; the windows paint one by one.\n", kName,
        static_cast<unsigned>(GetLastError()));
    return;
  }
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(screen, client.right, client.bottom) : nullptr;
  if (!bitmap) {
    Log("%s: no bitmap of %ld x %ld (error code 0x%08x); the windows paint one by one.\n", kName, client.right,
        client.bottom, static_cast<unsigned>(GetLastError()));
    if (memory) DeleteDC(memory);
    ReleaseDC(root, screen);
    return;
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  Pass pass{memory, root, {}, {}};
  PrintTree(pass, root);
  // The system controls keep what is on the screen and their own pending paints.
  for (const RECT& other : pass.others) ExcludeClipRect(screen, other.left, other.top, other.right, other.bottom);
  BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(root, screen);
  // Their frames stay due: a top-level's is painted by the system, children have none.
  for (HWND hwnd : pass.printed) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN | (hwnd == root ? 0 : RDW_NOFRAME));
  }
}

PaintDC::PaintDC(HWND hwnd, UINT msg, WPARAM wParam)
    : mHwnd(hwnd),
      mBegun(msg != WM_PRINTCLIENT),
      mDC(mBegun ? BeginPaint(hwnd, &mPaint) : reinterpret_cast<HDC>(wParam)) {}

PaintDC::~PaintDC() {
  if (mBegun) EndPaint(mHwnd, &mPaint);
}

}  // namespace ui
