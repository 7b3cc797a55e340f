// Stands in for a console that never reads its standard input: it marks that it started
// (in the file named by ZW_NEVER_READS_MARKER) and sleeps, holding the pipe's read end.
// It inherits the test's output handles too, so CTest waits for it: keep the sleep short.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  wchar_t marker[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(L"ZW_NEVER_READS_MARKER", marker, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  Sleep(6000);  // longer than the launcher's 3-second wait
  return 0;
}
