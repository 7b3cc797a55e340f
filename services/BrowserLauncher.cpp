#include "services/BrowserLauncher.h"

#include <shellapi.h>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace utils {

bool OpenInBrowser(HWND owner, const std::wstring& url) {
  HINSTANCE result = ShellExecuteW(owner, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // ShellExecute reports success as a value above 32.
  INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code <= 32) {
    Log("%s: ShellExecute could not open '%s' (%d).\n", "utils::OpenInBrowser", ToUtf8String(url).c_str(),
        static_cast<int>(code));
    return false;
  }
  return true;
}

}  // namespace utils
