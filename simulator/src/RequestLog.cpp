#include "simulator/src/RequestLog.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace sim {
namespace {

std::mutex gLogMutex;

struct RequestContext {
  bool active = false;
  std::chrono::steady_clock::time_point start;
  std::string op;
};
thread_local RequestContext tRequest;

}  // namespace

void LogLine(const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);

  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  int millis = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);

  std::lock_guard<std::mutex> lock(gLogMutex);
  std::fprintf(stderr, "%s.%03d %s\n", stamp, millis, message);
  std::fflush(stderr);
}

void BeginRequest() {
  tRequest.active = true;
  tRequest.start = std::chrono::steady_clock::now();
  tRequest.op.clear();
}

void SetRequestOp(const std::string& op) { tRequest.op = LogSafe(op, 40); }

void LogRequest(const std::string& method, const std::string& target, int status) {
  long long ms = 0;
  if (tRequest.active) {
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - tRequest.start)
             .count();
  }
  const std::string op = tRequest.op.empty() ? "-" : tRequest.op;
  LogLine("%s %s op=%s status=%d %lldms", LogSafe(method, 16).c_str(), LogSafe(target, 200).c_str(), op.c_str(),
          status, ms);
  tRequest = RequestContext();
}

std::string LogSafe(const std::string& text, size_t maxLength) {
  std::string out;
  for (unsigned char c : text) {
    if (out.size() >= maxLength) {
      out += "...";
      break;
    }
    out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  }
  return out;
}

}  // namespace sim
