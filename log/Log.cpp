#include "log/Log.h"

#include <windows.h>

#include <cstdarg>
#include <mutex>

#include "log/LogLine.h"

namespace {

// One process-wide log file. Each line is built whole in memory and written with one call
// while holding gWriteLock, so lines from different threads can neither mix nor overwrite each
// other (append-only access alone does not guarantee that everywhere), and closing cannot
// pull the handle from under a writer.
std::mutex gWriteLock;
HANDLE gLogFile = nullptr;

void WriteLine(const std::string& message) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string line =
      logline::ToTextMode(logline::FormatPrefix(now, GetCurrentThreadId()) + message);
  std::lock_guard<std::mutex> hold(gWriteLock);
  if (!gLogFile) return;
  DWORD written = 0;
  // No buffering of our own: after WriteFile the line survives a crash of the process.
  WriteFile(gLogFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool IsOpen() {
  std::lock_guard<std::mutex> hold(gWriteLock);
  return gLogFile != nullptr;
}

}  // namespace

void Log(const char* format, ...) {
  if (!IsOpen()) return;  // skip the formatting work
  va_list args;
  va_start(args, format);
  const std::string message = logline::FormatMessageV(format, args);
  va_end(args);
  WriteLine(message);
}

void OpenLog() { OpenLog(utils::GetLogFolder()); }

void OpenLog(const std::wstring& folder) {
  if (IsOpen()) return;  // one log per run
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring name = logline::FileNameFor(now);
  if (folder.empty()) return;
  DeleteOldLogs(folder.c_str());

  wchar_t path[MAX_PATH];
  if (!utils::JoinPath(path, MAX_PATH, folder.c_str(), name.c_str())) return;
  // Not inheritable (no security attributes): child processes must not hold the log open.
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // run without a log
  {
    std::lock_guard<std::mutex> hold(gWriteLock);
    gLogFile = file;
  }
  Log("## Starting Zandor Wickerlyn logging.\n");
}

void CloseLog() {
  if (!IsOpen()) return;
  Log("## Closing log\n");
  HANDLE file;
  {
    std::lock_guard<std::mutex> hold(gWriteLock);
    file = gLogFile;
    gLogFile = nullptr;
  }
  if (file) CloseHandle(file);
}
