// A fresh folder under %TEMP% that is removed with everything in it, and the few file
// helpers the tests around it need.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace testfs {

inline void RemoveTree(const std::wstring& path) {
  if (path.empty()) return;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

inline bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return fclose(out) == 0 && ok;
}

inline std::string ReadFileBytes(const std::wstring& path) {
  std::string all;
  FILE* in = _wfopen(path.c_str(), L"rb");
  if (!in) return all;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, in)) > 0) all.append(chunk, got);
  fclose(in);
  return all;
}

inline bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool FolderExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Plain names (not "." or "..") directly inside folder that match the pattern.
inline std::vector<std::wstring> ListNames(const std::wstring& folder, const wchar_t* pattern = L"*") {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

// The folder of the running program (the build's bin folder), without a final backslash.
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of(L'\\'));
}

class ScratchFolder {
 public:
  explicit ScratchFolder(const wchar_t* tag = L"scratch") {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    mPath = std::wstring(temp) + L"zw-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(sCounter++);
    CreateDirectoryW(mPath.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(mPath); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return mPath; }
  std::wstring operator/(const std::wstring& name) const { return mPath + L"\\" + name; }

 private:
  static inline int sCounter = 0;
  std::wstring mPath;
};

}  // namespace testfs
