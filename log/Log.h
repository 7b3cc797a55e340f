// The program's one diagnostic log: one text file per run in a per-user folder under %TEMP%.
#pragma once

#include <cstddef>
#include <string>

// printf-style (the runtime's rules: %s takes a single-byte string, %I64d a 64-bit integer).
// Every line gets a local-time and thread-id prefix and reaches the file in one write, so lines
// from different threads never mix. Does nothing while no log file is open.
void Log(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(ms_printf, 1, 2)))
#endif
    ;

// Opens this run's log in utils::GetLogFolder(), after pruning old logs there.
void OpenLog();
// The same in a given folder (tests point it at a scratch folder). An empty folder means no log.
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
// buffer = folder + "\" (unless folder already ends in a separator) + name. The buffer is always
// terminated; returns false (and leaves an empty buffer) when an argument is missing or the
// result does not fit, so a truncated path is never used.
bool JoinPath(wchar_t* buffer, size_t size, const wchar_t* folder, const wchar_t* name);
}  // namespace utils
