#include <windows.h>
#include <wininet.h>

#include "log/Log.h"
#include "services/LocalServerCertificate.h"
#include "services/TextConversion.h"
#include "services/WebAccess.h"

namespace utils {
namespace {

const char kOpenUrlLogName[] = "utils::HttpOpenUrl";
const wchar_t kUserAgent[] = L"Microsoft Internet Explorer";

// An HTTP connection dropped before any answer arrived leaves a request without a status:
// that is a failed open, not an answer, so callers still try their proxy fallback.
bool DroppedWithoutAnswer(HINTERNET request, const std::wstring& url) {
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  DWORD status = 0;
  DWORD size = sizeof status;
  return !HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
         status == 0;
}

}  // namespace

bool HttpOpenUrl(const std::wstring& url, const std::wstring& proxy, unsigned long flags, InternetHandle& session,
                 InternetHandle& request) {
  session = nullptr;
  request = nullptr;

  HINTERNET opened = proxy.empty()
                         ? InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)
                         : InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), nullptr, 0);
  if (!opened) {
    int error = static_cast<int>(GetLastError());
    Log("%s: InternetOpen() failed with proxy: %s (%d).\n", kOpenUrlLogName,
        proxy.empty() ? "(direct connect)" : ToUtf8String(proxy).c_str(), error);
    return false;
  }

  HINTERNET openedRequest = InternetOpenUrlW(opened, url.c_str(), nullptr, 0, flags, 0);
  DWORD error = openedRequest ? ERROR_SUCCESS : GetLastError();
  if (!openedRequest && IsCertificateError(error) && IsLoopbackUrl(url)) {
    Log("%s: Accepting the untrusted certificate of the local server at '%s'.\n", kOpenUrlLogName,
        ToUtf8String(url).c_str());
    openedRequest = OpenUrlAcceptingCertificate(opened, url, flags);
    if (!openedRequest) error = GetLastError();
  }
  if (openedRequest && DroppedWithoutAnswer(openedRequest, url)) {
    InternetCloseHandle(openedRequest);
    openedRequest = nullptr;
    error = ERROR_INTERNET_CONNECTION_RESET;
  }
  if (!openedRequest) {
    Log("%s: InternetOpenUrl() failed: %s (%d).\n", kOpenUrlLogName, ToUtf8String(url).c_str(), static_cast<int>(error));
    InternetCloseHandle(opened);
    return false;
  }

  session = opened;
  request = openedRequest;
  return true;
}

}  // namespace utils
