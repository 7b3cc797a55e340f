// Opens the program's log in a fresh folder of its own so a test can read what was logged.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "log/Log.h"

class ScratchLog {
 public:
  ScratchLog() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    mFolder = std::wstring(temp) + L"zw-scratch-log-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(sCounter++);
    CreateDirectoryW(mFolder.c_str(), nullptr);
    OpenLog(mFolder);
  }
  ~ScratchLog() {
    CloseLog();
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((mFolder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileW((mFolder + L"\\" + found.cFileName).c_str());
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    RemoveDirectoryW(mFolder.c_str());
  }
  ScratchLog(const ScratchLog&) = delete;
  ScratchLog& operator=(const ScratchLog&) = delete;

  // Everything logged so far (every message is flushed at once).
  std::string Text() const {
    std::string all;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((mFolder + L"\\zandor-wickerlyn-*.txt").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return all;
    do {
      FILE* in = _wfopen((mFolder + L"\\" + found.cFileName).c_str(), L"rb");
      if (!in) continue;
      char chunk[4096];
      size_t got;
      while ((got = fread(chunk, 1, sizeof chunk, in)) > 0) all.append(chunk, got);
      fclose(in);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return all;
  }
  bool Contains(const std::string& piece) const { return Text().find(piece) != std::string::npos; }
  const std::wstring& Folder() const { return mFolder; }

 private:
  static inline int sCounter = 0;
  std::wstring mFolder;
};
