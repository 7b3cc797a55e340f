// Prints what a screen reader would find on the desktop: every top-level window, and the
// whole tree under those whose title (or "class:NAME") is given, one line each (UTF-8, tab-separated):
//   taskbar  <left,top,right,bottom> <edge>        what SHAppBarMessage reports
//   top      <hwnd> <pid> <class> <flags> <left,top,right,bottom> <text>
//   child    <hwnd> <parent> <class> <flags> <left,top,right,bottom> <text>
// flags: v visible, e enabled, c checked (buttons), f foreground, k keyboard focus. Screen coordinates.
// "window-texts --end PID" ends one process that the caller started (its clean-up).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  // One line per window: line breaks and tabs of a text become blanks.
  for (char& c : out) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return out;
}

std::wstring TextOf(HWND hwnd) {
  // WM_GETTEXT, not the stored caption: an edit control keeps what was typed itself.
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutW(hwnd, WM_GETTEXT, ARRAYSIZE(buffer), reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &copied))
    return std::wstring(buffer, static_cast<size_t>(copied));
  const int length = InternalGetWindowText(hwnd, buffer, ARRAYSIZE(buffer));
  return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  const int length = GetClassNameW(hwnd, buffer, ARRAYSIZE(buffer));
  return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

std::string Flags(HWND hwnd, const std::wstring& className) {
  std::string flags;
  if (IsWindowVisible(hwnd)) flags += 'v';
  if (IsWindowEnabled(hwnd)) flags += 'e';
  if (_wcsicmp(className.c_str(), L"Button") == 0) {
    DWORD_PTR check = 0;
    if (SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &check) &&
        check == BST_CHECKED)
      flags += 'c';
  }
  if (hwnd == GetForegroundWindow()) flags += 'f';
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &thread) && thread.hwndFocus == hwnd) flags += 'k';
  return flags.empty() ? "-" : flags;
}

void PrintLine(const char* kind, HWND hwnd, unsigned long second) {
  const std::wstring className = ClassOf(hwnd);
  RECT r = {};
  GetWindowRect(hwnd, &r);
  printf("%s\t%llu\t%lu\t%s\t%s\t%ld,%ld,%ld,%ld\t%s\n", kind,
         static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), second, Utf8(className).c_str(),
         Flags(hwnd, className).c_str(), r.left, r.top, r.right, r.bottom, Utf8(TextOf(hwnd)).c_str());
}

void PrintTree(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    PrintLine("child", child, static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(parent)));
    PrintTree(child);
  }
}

struct Walk {
  std::vector<std::wstring> titles;
  std::vector<HWND> trees;
};

BOOL CALLBACK EachTop(HWND hwnd, LPARAM context) {
  Walk& walk = *reinterpret_cast<Walk*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  PrintLine("top", hwnd, pid);
  const std::wstring text = TextOf(hwnd);
  const std::wstring className = L"class:" + ClassOf(hwnd);
  for (const std::wstring& title : walk.titles) {
    if (text == title || className == title) {
      walk.trees.push_back(hwnd);
      break;
    }
  }
  return TRUE;
}

int EndProcess(const wchar_t* pidText) {
  const DWORD pid = wcstoul(pidText, nullptr, 10);
  HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
  if (!process) return 1;
  const BOOL ended = TerminateProcess(process, 1) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && wcscmp(argv[1], L"--end") == 0) return EndProcess(argv[2]);
  Walk walk;
  for (int i = 1; i < argc; ++i) walk.titles.push_back(argv[i]);

  APPBARDATA taskbar = {};
  taskbar.cbSize = sizeof taskbar;
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar))
    printf("taskbar\t%ld,%ld,%ld,%ld\t%u\n", taskbar.rc.left, taskbar.rc.top, taskbar.rc.right, taskbar.rc.bottom,
           taskbar.uEdge);
  EnumWindows(EachTop, reinterpret_cast<LPARAM>(&walk));
  for (HWND top : walk.trees) {
    PrintLine("tree", top, 0);
    PrintTree(top);
  }
  fflush(stdout);
  return 0;
}
