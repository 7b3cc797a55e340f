#include <windows.h>
#include <wininet.h>

#include <vector>

#include "log/Log.h"
#include "services/TextConversion.h"
#include "services/WebAccess.h"

namespace utils {
namespace {

const char kName[] = "utils::ReadURL";
constexpr DWORD kReadChunk = 2048;

// Closes the request and its session on every way out.
class OpenRequest {
 public:
  OpenRequest(InternetHandle session, InternetHandle request) : mSession(session), mRequest(request) {}
  ~OpenRequest() {
    if (mRequest) InternetCloseHandle(mRequest);
    if (mSession) InternetCloseHandle(mSession);
  }
  OpenRequest(const OpenRequest&) = delete;
  OpenRequest& operator=(const OpenRequest&) = delete;
  HINTERNET Request() const { return mRequest; }

 private:
  HINTERNET mSession;
  HINTERNET mRequest;
};

// The scheme of url, or false when the URL cannot be split.
bool GetScheme(const std::wstring& url, INTERNET_SCHEME& scheme) {
  URL_COMPONENTSW components = {};
  components.dwStructSize = sizeof components;
  components.dwSchemeLength = 1;  // only pointers into url, nothing copied
  if (url.empty() || !InternetCrackUrlW(url.c_str(), 0, 0, &components)) return false;
  scheme = components.nScheme;
  return true;
}

// An error page is not the document: only a 2xx answer counts.
bool HasSuccessStatus(HINTERNET request, const std::string& url8) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    Log("%s: No HTTP status for '%s' (%d).\n", kName, url8.c_str(), static_cast<int>(GetLastError()));
    return false;
  }
  if (status < 200 || status > 299) {
    Log("%s: The server answered '%s' with HTTP status %d.\n", kName, url8.c_str(), static_cast<int>(status));
    return false;
  }
  return true;
}

}  // namespace

bool ReadURL(const std::wstring& url, std::wstring& text) {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  if (!GetScheme(url, scheme)) return false;

  DWORD flags = INTERNET_FLAG_RELOAD;
  if (scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;

  InternetHandle session = nullptr;
  InternetHandle request = nullptr;
  if (!HttpOpenUrl(url, std::wstring(), flags, session, request)) {
    Log("%s: InternetOpen failed for direct connection. Checking for proxy.\n", kName);
    std::wstring proxy;
    if (HttpGetHostProxySettings(url, proxy) && !HttpOpenUrl(url, proxy, flags, session, request)) {
      Log("%s: InternetOpen failed with system-specified proxy.\n", kName);
    }
  }
  const std::string url8 = ToUtf8String(url);
  if (!request) {
    Log("%s: Unable to open url at '%s'.\n", kName, url8.c_str());
    return false;
  }
  OpenRequest open(session, request);

  if ((scheme == INTERNET_SCHEME_HTTP || scheme == INTERNET_SCHEME_HTTPS) && !HasSuccessStatus(request, url8)) {
    return false;
  }

  std::vector<char> bytes;
  char chunk[kReadChunk];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(open.Request(), chunk, kReadChunk, &got)) {
      Log("%s: InternetReadFile failed.\n", kName);
      return false;
    }
    if (got == 0) break;
    if (bytes.size() + got > kMaxDocumentBytes) {
      Log("%s: The document at '%s' is longer than %d bytes.\n", kName, url8.c_str(),
          static_cast<int>(kMaxDocumentBytes));
      return false;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }

  // Terminated here, the conversion stops at the first zero byte, wherever it is.
  bytes.push_back('\0');
  int length = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), -1, nullptr, 0);
  if (length <= 0) {
    Log("%s: The document at '%s' could not be converted (%d).\n", kName, url8.c_str(),
        static_cast<int>(GetLastError()));
    return false;
  }
  if (length == 1) {
    Log("%s: The document at '%s' is empty.\n", kName, url8.c_str());
    return false;
  }
  std::vector<wchar_t> wide(length);
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), -1, wide.data(), length) != length) {
    Log("%s: The document at '%s' could not be converted (%d).\n", kName, url8.c_str(),
        static_cast<int>(GetLastError()));
    return false;
  }
  text.assign(wide.data(), length - 1);
  return true;
}

}  // namespace utils
