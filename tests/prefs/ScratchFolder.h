// A fresh folder under the temporary folder, removed with its files afterwards.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    mPath = std::wstring(temp) + L"zw-prefs-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(sCounter++);
    CreateDirectoryW(mPath.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(mPath); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return mPath; }
  std::wstring File(const wchar_t* name) const { return mPath + L"\\" + name; }

  static void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
  }
  static std::string ReadBytes(const std::wstring& path) {
    std::string all;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return all;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) all.append(chunk, got);
    fclose(f);
    return all;
  }
  static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

  static inline int sCounter = 0;
  std::wstring mPath;
};
