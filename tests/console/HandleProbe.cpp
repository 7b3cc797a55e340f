// Stands in for a console to show what it inherited. With ZW_NEVER_READS_MARKER set, it
// creates that file, sleeps holding the pipe's read end without reading, and deletes the
// file as it ends (it inherits the test's output handles too, so CTest waits for it: the
// sleep stays short). Otherwise
// it signals the event whose handle value is in ZW_PROBE_EVENT (which works only if that
// handle reached it), reads its standard input to the end and records the byte count in the
// file in ZW_PROBE_RESULT.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  wchar_t value[32] = {}, result[MAX_PATH] = {};
  if (DWORD length = GetEnvironmentVariableW(L"ZW_NEVER_READS_MARKER", result, MAX_PATH); length && length < MAX_PATH) {
    CloseHandle(CreateFileW(result, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Sleep(6000);  // longer than the launcher's 3-second wait
    DeleteFileW(result);
    return 0;
  }
  if (GetEnvironmentVariableW(L"ZW_PROBE_EVENT", value, 32) - 1 < 31) {
    SetEvent(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(wcstoull(value, nullptr, 10))));
  }
  unsigned long total = 0;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char chunk[256];
  DWORD got = 0;
  while (input && input != INVALID_HANDLE_VALUE && ReadFile(input, chunk, sizeof chunk, &got, nullptr) && got) total += got;
  DWORD length = GetEnvironmentVariableW(L"ZW_PROBE_RESULT", result, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  // Written aside and moved in, so a reader never sees half of it.
  wchar_t partial[MAX_PATH + 8];
  swprintf(partial, MAX_PATH + 8, L"%ls.part", result);
  HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  char text[48];
  int size = snprintf(text, sizeof text, "stdinBytes=%lu\n", total);
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return MoveFileExW(partial, result, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
