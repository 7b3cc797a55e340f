#pragma once
// Diagnostic lines on standard error, one per request plus start-up and failures.
// Request bodies are never logged: they may hold passwords.

#include <string>

namespace sim {

// printf-style; a time stamp is put in front and a newline after.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Per-request bookkeeping; a request runs on one server thread from start to log line.
void BeginRequest();
void SetRequestOp(const std::string& op);
void LogRequest(const std::string& method, const std::string& target, int status);

// Printable ASCII only, at most maxLength characters (for client-chosen texts in logs).
std::string LogSafe(const std::string& text, size_t maxLength = 80);

}  // namespace sim
