#include "log/Log.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>

#include "log/LogLine.h"

namespace {

// One process-wide log file. Opened with append-only access: every write lands at the end of
// the file as one piece, so concurrent writers cannot overwrite or split each other's lines.
std::atomic<HANDLE> gLogFile{nullptr};

void WriteLine(HANDLE file, const std::string& message) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string line =
      logline::ToTextMode(logline::FormatPrefix(now, GetCurrentThreadId()) + message);
  DWORD written = 0;
  // No buffering of our own: after WriteFile the line survives a crash of the process.
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

void Log(const char* format, ...) {
  HANDLE file = gLogFile.load();
  if (!file) return;
  va_list args;
  va_start(args, format);
  const std::string message = logline::FormatMessageV(format, args);
  va_end(args);
  WriteLine(file, message);
}

void OpenLog() { OpenLog(utils::GetLogFolder()); }

void OpenLog(const std::wstring& folder) {
  if (gLogFile.load()) return;  // one log per run
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring name = logline::FileNameFor(now);
  if (folder.empty()) return;
  DeleteOldLogs(folder.c_str());

  wchar_t path[MAX_PATH];
  if (!utils::JoinPath(path, MAX_PATH, folder.c_str(), name.c_str())) return;
  // Not inheritable (no security attributes): child processes must not hold the log open.
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // run without a log
  gLogFile.store(file);
  Log("## Starting Zandor Wickerlyn logging.\n");
}

void CloseLog() {
  HANDLE file = gLogFile.load();
  if (!file) return;
  Log("## Closing log\n");
  gLogFile.store(nullptr);
  CloseHandle(file);
}
