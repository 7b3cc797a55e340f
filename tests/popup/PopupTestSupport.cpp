#include "tests/popup/PopupTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "tests/support/CursorPlacement.h"
#include "tests/support/Polling.h"

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
    HWND box = polling::WaitForTopLevel(L"#32770", nullptr, GetCurrentProcessId(), true, 10000);
    if (!box) return;
    Sleep(50);
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    mText = text;
    PostMessageW(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
  });
}

MessageBoxAnswer::~MessageBoxAnswer() { Text(); }

std::wstring MessageBoxAnswer::Text() {
  if (!mJoined) {
    mThread.join();
    mJoined = true;
  }
  return mText;
}

void MoveCursorTo(HWND window, POINT client) {
  ClientToScreen(window, &client);
  cursor::PlaceCursor(client);
  PostMessageW(window, WM_MOUSEMOVE, 0, 0);
  PumpFor(30);
}

void ClickAt(HWND window, POINT client) {
  POINT screen = client;
  ClientToScreen(window, &screen);
  cursor::PlaceCursor(screen);
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

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  PutBig32(out, Crc32(body));
}

// A zlib stream of stored (uncompressed) blocks: screenshots are small.
std::string Stored(const std::string& raw) {
  std::string out("\x78\x01", 2);
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(~n & 0xFF);
    out += static_cast<char>((~n >> 8) & 0xFF);
    out.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(out, (b << 16) | a);
  return out;
}

std::string Png(const std::vector<uint8_t>& rgb, int width, int height) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(&rgb[static_cast<size_t>(y) * width * 3]), static_cast<size_t>(width) * 3);
  }
  std::string out = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBig32(header, width);
  PutBig32(header, height);
  header += std::string("\x08\x02\x00\x00\x00", 5);
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", Stored(raw));
  Chunk(out, "IEND", "");
  return out;
}

}  // namespace

namespace {

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
  HDC screen = GetDC(nullptr);
  std::vector<uint8_t> rgb = Grab(screen, rect.left, rect.top, width, height);
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
  const std::vector<uint8_t> rgb = ScreenPixels(window, &width, &height);
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
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return std::string();
  const std::string png = Png(rgb, width, height);
  fwrite(png.data(), 1, png.size(), file);
  fclose(file);
  return path;
}

std::wstring WindowText(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return text;
}

bool IsShown(HWND window) { return window && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE); }
bool IsEnabled(HWND window) { return window && IsWindowEnabled(window); }

std::vector<HWND> Children(HWND parent, int id) {
  std::vector<HWND> found;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(h) == id) found.push_back(h);
  }
  return found;
}

HWND Child(HWND parent, int id) {
  std::vector<HWND> found = Children(parent, id);
  return found.empty() ? nullptr : found.front();
}

}  // namespace popuptest
