#include "state/AtomicFile.h"

#include <windows.h>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const char* caller) {
  const std::wstring temporary = path + L".new";
  const std::string shownPath = utils::ToUtf8String(path);

  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Log("%s: Unable to create '%s.new' (error 0x%lx); '%s' is unchanged.\n", caller, shownPath.c_str(),
        GetLastError(), shownPath.c_str());
    return false;
  }
  const bool written = WriteAll(file, bytes);
  const DWORD writeError = written ? 0 : GetLastError();
  const bool flushed = written && FlushFileBuffers(file);
  const DWORD flushError = flushed || !written ? 0 : GetLastError();
  CloseHandle(file);
  if (!written || !flushed) {
    Log("%s: Unable to %s '%s.new' (error 0x%lx); '%s' is unchanged.\n", caller, written ? "flush" : "write",
        shownPath.c_str(), written ? flushError : writeError, shownPath.c_str());
    DeleteFileW(temporary.c_str());
    return false;
  }

  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Log("%s: Unable to replace '%s' with the new file (error 0x%lx); it is unchanged.\n", caller,
        shownPath.c_str(), GetLastError());
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}
