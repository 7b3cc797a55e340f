// The program's one diagnostic log: one text file per run in a per-user folder under %TEMP%.
#pragma once

#include <string>

// printf-style; every line gets a local-time and thread-id prefix and is flushed at once.
// Does nothing while no log file is open.
void Log(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(gnu_printf, 1, 2)))
#endif
    ;

// Opens this run's log in utils::GetLogFolder(), after pruning old logs there.
void OpenLog();
// Opens this run's log in the given folder instead (tests use a scratch folder).
void OpenLog(const std::wstring& folder);
// Writes the closing banner and closes the file; does nothing when no log is open.
void CloseLog();
// Keeps the 4 newest "zandor-wickerlyn-*.txt" files of the folder, deleting older ones.
void DeleteOldLogs(const wchar_t* folder);

namespace utils {
// Per-user log folder under %TEMP%, or empty when it cannot be made writable.
std::wstring GetLogFolder();
// Creates the folder if needed and proves a file can be written, read back and deleted in it.
bool IsFolderWritable(const wchar_t* folder);
// buffer = folder + "\" (unless folder already ends in a separator) + name, truncated to size.
void JoinPath(wchar_t* buffer, size_t size, const wchar_t* folder, const wchar_t* name);
}  // namespace utils
