#include "log/Log.h"

void Log(const char*, ...) {}
void OpenLog() {}
void OpenLog(const std::wstring&) {}
void CloseLog() {}
void DeleteOldLogs(const wchar_t*) {}
namespace utils {
std::wstring GetLogFolder() { return std::wstring(); }
bool IsFolderWritable(const wchar_t*) { return false; }
void JoinPath(wchar_t* buffer, size_t size, const wchar_t*, const wchar_t*) { if (buffer && size) buffer[0] = 0; }
}  // namespace utils
