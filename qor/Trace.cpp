#include "qor/Trace.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace qor {
namespace {

FILE* OpenTraceFile() {
  const char* path = std::getenv("QOR_LOG_FILE");
  if (!path || !*path) return nullptr;
  return std::fopen(path, "a");
}

}  // namespace

void Trace(const char* format, ...) {
  char text[1024];
  SYSTEMTIME now;
  GetLocalTime(&now);
  int prefix = std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u qor[%lu]: ", now.wHour, now.wMinute,
                             now.wSecond, now.wMilliseconds, GetCurrentThreadId());
  va_list args;
  va_start(args, format);
  std::vsnprintf(text + prefix, sizeof text - prefix - 1, format, args);
  va_end(args);
  size_t length = std::strlen(text);
  if (length == 0 || text[length - 1] != '\n') {
    text[length] = '\n';
    text[length + 1] = '\0';
  }
  OutputDebugStringA(text);

  // Never closed: lines may come from any thread until the process ends.
  static std::mutex* fileLock = new std::mutex;
  static FILE* file = OpenTraceFile();
  if (file) {
    std::lock_guard<std::mutex> hold(*fileLock);
    std::fputs(text, file);
    std::fflush(file);
  }
}

}  // namespace qor
