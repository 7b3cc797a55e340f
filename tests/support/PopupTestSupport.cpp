#include "tests/support/PopupTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include <commctrl.h>
#include <wincodec.h>


namespace popuptest {

HWND Parent::CreateParent(int width, int height) {
  RECT rect = {100, 100, 100 + width, 100 + height};
  HWND hwnd = Create(nullptr, L"rows", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_TOPMOST, rect);
  SetForegroundWindow(hwnd);
  return hwnd;
}

int Parent::Count(UINT msg) const {
  int count = 0;
  for (const Posted& posted : seen) count += posted.msg == msg;
  return count;
}

const Posted* Parent::Last(UINT msg) const {
  for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
    if (it->msg == msg) return &*it;
  }
  return nullptr;
}

namespace {
// Bounded, so that a thread that keeps posting cannot hold the pump.
void PumpOnce() {
  MSG msg;
  for (int i = 0; i < 2000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
}  // namespace

// Waits for input rather than sleeping (Polling.h's WaitUntil): a thread that keeps posting
// must be answered as fast as it posts.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    PumpOnce();
    if (pred()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

MessageBoxAnswer::MessageBoxAnswer(bool yes) {
  mThread = std::thread([this, yes] {
    HWND box = dialogs::WaitForDialog(nullptr);
    if (!box) return;
    Sleep(50);
    mText = dialogs::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
  });
}

MessageBoxAnswer::~MessageBoxAnswer() { Text(); }

std::wstring MessageBoxAnswer::Text() {
  if (mThread.joinable()) mThread.join();
  return mText;
}

void PressKey(HWND window, UINT key) {
  SendMessageW(window, WM_KEYDOWN, key, 0);
  PumpFor(20);
}

RECT ChildRect(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool PlaceCursor(POINT screen) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetCursorPos(screen.x, screen.y);
    bool stayed = true;
    for (int check = 0; check < 3 && stayed; ++check) {
      PumpFor(20);
      POINT now;
      stayed = GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    }
    if (stayed) return true;
  }
  return false;
}

void ClickAt(HWND window, POINT client) {
  POINT screen = client;
  ClientToScreen(window, &screen);
  PlaceCursor(screen);
  // A window just created may not be on the display yet: wait until the point finds it.
  PumpUntil([&] {
    HWND under = WindowFromPoint(screen);
    return under == window || IsChild(window, under);
  }, 2000);
  PumpFor(20);
  HWND target = WindowFromPoint(screen);
  // Under load the display may still not show it: the click is meant for this window.
  if (target != window && !IsChild(window, target)) target = window;
  POINT local = screen;
  ScreenToClient(target, &local);
  SendMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(local.x, local.y));
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
  PumpFor(10);
  SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(local.x, local.y));
  PumpFor(30);
}

namespace {

// Writes BGR rows (top first) as a PNG file through the system's image codecs.
bool WritePng(const std::wstring& path, std::vector<uint8_t>& bgr, int width, int height) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  const UINT stride = static_cast<UINT>(width) * 3;
  const bool written =
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) && SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
      SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(width, height)) &&
      SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
      SUCCEEDED(frame->WritePixels(height, stride, stride * height, bgr.data())) && SUCCEEDED(frame->Commit()) &&
      SUCCEEDED(encoder->Commit());
  for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, factory}) {
    if (object) object->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return written;
}

// A rectangle of a DC as RGB, top row first.
std::vector<uint8_t> Grab(HDC source, int left, int top, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
  GdiFlush();
  const int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      uint8_t* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      out[0] = row[x * 3 + 2];
      out[1] = row[x * 3 + 1];
      out[2] = row[x * 3];
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return rgb;
}

}  // namespace

std::vector<uint8_t> ScreenPixels(HWND window, int* widthOut, int* heightOut) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (widthOut) *widthOut = width;
  if (heightOut) *heightOut = height;
  // The screen catches up with a window's painting in its own time (a loaded machine can
  // show a repaint half done): read it until two looks a pump apart agree.
  HDC screen = GetDC(nullptr);
  std::vector<uint8_t> rgb = Grab(screen, rect.left, rect.top, width, height);
  for (int look = 0; look < 50; ++look) {
    PumpFor(20);
    std::vector<uint8_t> again = Grab(screen, rect.left, rect.top, width, height);
    if (again == rgb) break;
    rgb = std::move(again);
  }
  ReleaseDC(nullptr, screen);
  return rgb;
}

std::vector<uint8_t> ClientPixels(HWND window) {
  UpdateWindow(window);
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  std::vector<uint8_t> rgb = Grab(dc, 0, 0, client.right, client.bottom);
  ReleaseDC(window, dc);
  return rgb;
}

int CountColour(const std::vector<uint8_t>& rgb, COLORREF colour) {
  int count = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    count += rgb[i] == GetRValue(colour) && rgb[i + 1] == GetGValue(colour) && rgb[i + 2] == GetBValue(colour);
  }
  return count;
}

std::string SaveScreenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(50);
  int width = 0, height = 0;
  std::vector<uint8_t> rgb = ScreenPixels(window, &width, &height);
  if (rgb.empty()) return std::string();
  // Tests run in build/bin. A themed or scaled run keeps its own set (ZW_SCREENSHOT_SET).
  std::string path = "..\\screenshots";
  CreateDirectoryA(path.c_str(), nullptr);
  if (const char* set = getenv("ZW_SCREENSHOT_SET"); set && *set) {
    path += "\\" + std::string(set);
    CreateDirectoryA(path.c_str(), nullptr);
  }
  for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
    CreateDirectoryA((path + "\\" + name.substr(0, slash)).c_str(), nullptr);
  }
  path += "\\" + name + ".png";
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return WritePng(std::wstring(path.begin(), path.end()), rgb, width, height) ? path : std::string();
}

bool IsShown(HWND window) { return window && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE); }

int MouseMessagesReachingTooltip(HWND tool) {
  // This thread's tooltip that holds a tool on that window.
  HWND tip = nullptr;
  for (HWND h = nullptr; !tip && (h = FindWindowExW(nullptr, h, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
    if (GetWindowThreadProcessId(h, nullptr) != GetCurrentThreadId()) continue;
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    for (UINT i = 0; SendMessageW(h, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)); ++i) {
      if (info.hwnd == tool) tip = h;
    }
  }
  if (!tip) return -1;
  int reached = 0;
  const auto spy = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) -> LRESULT {
    if (msg == TTM_RELAYEVENT) ++*reinterpret_cast<int*>(data);
    return DefSubclassProc(h, msg, wParam, lParam);
  };
  SetWindowSubclass(tip, spy, 1, reinterpret_cast<DWORD_PTR>(&reached));
  SendMessageW(tool, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  SendMessageW(tool, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  RemoveWindowSubclass(tip, spy, 1);
  return reached;
}

}  // namespace popuptest
