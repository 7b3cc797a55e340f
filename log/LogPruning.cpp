#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "log/Log.h"

namespace {
// Only this many names are looked at per start; a larger backlog shrinks over several starts.
constexpr size_t kMaxNamesConsidered = 20;
constexpr size_t kLogsKept = 4;
}  // namespace

void DeleteOldLogs(const wchar_t* folder) {
  if (!folder) return;
  wchar_t pattern[MAX_PATH];
  if (!utils::JoinPath(pattern, MAX_PATH, folder, L"zandor-wickerlyn-*.txt")) return;

  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(pattern, &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
  } while (names.size() < kMaxNamesConsidered && FindNextFileW(find, &entry));
  FindClose(find);

  if (names.size() <= kLogsKept) return;
  // Names carry the date and time, so ordinal order is age order.
  std::sort(names.begin(), names.end());
  for (size_t i = 0; i < names.size() - kLogsKept; ++i) {
    wchar_t path[MAX_PATH];
    if (utils::JoinPath(path, MAX_PATH, folder, names[i].c_str())) DeleteFileW(path);
  }
}
