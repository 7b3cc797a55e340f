// Opening a web page in the user's default browser.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace utils {

// How a page is opened; tests give their own to see what would be opened.
using PageOpener = std::function<bool(HWND owner, const std::wstring& url)>;

// The shell's "open" verb on url, shown normally. False, logged, when the shell refuses.
bool OpenInBrowser(HWND owner, const std::wstring& url);

}  // namespace utils
