#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

#include "log/Log.h"

namespace utils {

bool JoinPath(wchar_t* buffer, size_t size, const wchar_t* folder, const wchar_t* name) {
  if (!buffer || size == 0) return false;
  buffer[0] = L'\0';
  if (!folder || !name) return false;
  const size_t length = wcslen(folder);
  const bool hasSeparator = length > 0 && (folder[length - 1] == L'\\' || folder[length - 1] == L'/');
  const int written =
      _snwprintf(buffer, size, L"%ls%ls%ls", folder, hasSeparator ? L"" : L"\\", name);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    buffer[0] = L'\0';  // never hand out a cut-off path
    return false;
  }
  return true;
}

bool IsFolderWritable(const wchar_t* folder) {
  if (!folder) return false;
  const int created = SHCreateDirectory(nullptr, folder);
  if (created != ERROR_SUCCESS && created != ERROR_FILE_EXISTS && created != ERROR_ALREADY_EXISTS)
    return false;

  wchar_t probe[2048];
  if (!JoinPath(probe, 2048, folder, L"wickerlyn_write_test.log")) return false;

  FILE* out = _wfopen(probe, L"wt");
  if (!out) return false;
  const int printed = fwprintf(out, L"%ls", L"asdf");
  fclose(out);

  bool contentMatches = false;
  if (printed == 4) {
    if (FILE* in = _wfopen(probe, L"rt")) {
      wchar_t text[5] = {};
      for (int i = 0; i < 4; ++i) {
        const wint_t c = fgetwc(in);
        if (c == WEOF) break;
        text[i] = static_cast<wchar_t>(c);
      }
      fclose(in);
      contentMatches = wcscmp(text, L"asdf") == 0;
    }
  }
  const bool deleted = DeleteFileW(probe) != FALSE;
  return deleted && contentMatches;
}

std::wstring GetLogFolder() {
  wchar_t temp[261];
  const DWORD tempLength = GetTempPathW(261, temp);
  if (tempLength == 0 || tempLength >= 261) return std::wstring();
  wchar_t user[260];
  DWORD userLength = 260;
  if (!GetUserNameW(user, &userLength)) return std::wstring();

  wchar_t leaf[260];
  if (_snwprintf(leaf, 260, L"zandor-%ls", user) < 0) return std::wstring();
  leaf[259] = L'\0';
  wchar_t folder[MAX_PATH];
  if (!JoinPath(folder, MAX_PATH, temp, leaf)) return std::wstring();
  return IsFolderWritable(folder) ? std::wstring(folder) : std::wstring();
}

}  // namespace utils
