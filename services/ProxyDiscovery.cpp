// Kept apart from the WinINet sources: winhttp.h and wininet.h cannot share a file.
#include <windows.h>
#include <winhttp.h>

#include "log/Log.h"
#include "services/RegistryRead.h"
#include "services/TextConversion.h"
#include "services/WebAccess.h"

namespace utils {
namespace {

const char kProxyLogName[] = "utils::HttpGetHostProxySettings";
const wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kDiscoveryAgent[] = L"Zandor's Http Library.";

bool ReadRegistryProxy(std::wstring& proxy) {
  DWORD enabled = 0;
  if (!ReadRegistryDword(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", enabled)) return false;
  if (static_cast<LONG>(enabled) <= 0) return false;
  // An empty server would only repeat the direct attempt.
  return ReadRegistryString(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", proxy) && !proxy.empty();
}

}  // namespace

bool HttpGetHostProxySettings(const std::wstring& url, std::wstring& proxy) {
  std::wstring registryProxy;
  if (ReadRegistryProxy(registryProxy)) {
    proxy = registryProxy;
    Log("%s: Found windows proxy server/port in registry: '%s'.\n", kProxyLogName, ToUtf8String(proxy).c_str());
    return true;
  }

  HINTERNET session = WinHttpOpen(kDiscoveryAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) {
    Log("%s: Failed to open winhttp session with error 0x%04x.\n", kProxyLogName, static_cast<unsigned>(GetLastError()));
    return false;
  }

  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
  options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  options.lpszAutoConfigUrl = nullptr;
  options.fAutoLogonIfChallenged = TRUE;

  WINHTTP_PROXY_INFO info = {};
  bool found = false;
  if (!WinHttpGetProxyForUrl(session, url.c_str(), &options, &info)) {
    Log("%s: Failed to get winhttp proxy info with error 0x%04x.\n", kProxyLogName, static_cast<unsigned>(GetLastError()));
  } else if (info.lpszProxy && *info.lpszProxy) {
    proxy = info.lpszProxy;
    found = true;
    Log("%s: Found windows proxy server/port: '%s'.\n", kProxyLogName, ToUtf8String(proxy).c_str());
  } else {
    Log("%s: GetProxyForUrl succeeded but didn't find any proxy info.\n", kProxyLogName);
  }

  if (info.lpszProxy) GlobalFree(info.lpszProxy);
  if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
  WinHttpCloseHandle(session);
  return found;
}

}  // namespace utils
