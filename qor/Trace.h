// Diagnostics of the library: every failure is described in one line, sent to the
// debugger (OutputDebugString) and, when QOR_LOG_FILE names a file, appended to it.
#pragma once

namespace qor {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qor
