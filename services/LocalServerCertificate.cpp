#include "services/LocalServerCertificate.h"

#include <cwctype>
#include <vector>

namespace utils {
namespace {

bool IsIpv4Loopback(const std::wstring& host) {
  // Four decimal parts of 0..255, the first 127.
  int parts = 0;
  size_t pos = 0;
  while (pos <= host.size()) {
    size_t end = host.find(L'.', pos);
    if (end == std::wstring::npos) end = host.size();
    if (end == pos || end - pos > 3) return false;
    int value = 0;
    for (size_t i = pos; i < end; ++i) {
      if (!iswdigit(host[i])) return false;
      value = value * 10 + (host[i] - L'0');
    }
    if (value > 255 || (parts == 0 && value != 127)) return false;
    ++parts;
    pos = end + 1;
  }
  return parts == 4;
}

struct UrlParts {
  std::wstring host;
  std::wstring pathAndQuery;
  INTERNET_PORT port = 0;
};

bool SplitUrl(const std::wstring& url, UrlParts& parts) {
  std::vector<wchar_t> host(url.size() + 1);
  std::vector<wchar_t> path(url.size() + 1);
  std::vector<wchar_t> extra(url.size() + 1);
  URL_COMPONENTSW components = {};
  components.dwStructSize = sizeof components;
  components.lpszHostName = host.data();
  components.dwHostNameLength = static_cast<DWORD>(host.size());
  components.lpszUrlPath = path.data();
  components.dwUrlPathLength = static_cast<DWORD>(path.size());
  components.lpszExtraInfo = extra.data();
  components.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  parts.host.assign(host.data());
  parts.pathAndQuery = std::wstring(path.data()) + extra.data();
  if (parts.pathAndQuery.empty()) parts.pathAndQuery = L"/";
  parts.port = components.nPort;
  return true;
}

}  // namespace

bool IsCertificateError(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_INVALID_CERT:
      return true;
    default:
      return false;
  }
}

bool IsLoopbackUrl(const std::wstring& url) {
  UrlParts parts;
  if (!SplitUrl(url, parts)) return false;
  std::wstring host = parts.host;
  for (wchar_t& c : host) c = static_cast<wchar_t>(towlower(c));
  return host == L"localhost" || host == L"::1" || host == L"[::1]" || IsIpv4Loopback(host);
}

HINTERNET OpenUrlAcceptingCertificate(HINTERNET session, const std::wstring& url, DWORD flags) {
  UrlParts parts;
  if (!SplitUrl(url, parts)) return nullptr;
  HINTERNET connection =
      InternetConnectW(session, parts.host.c_str(), parts.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!connection) return nullptr;
  HINTERNET request =
      HttpOpenRequestW(connection, L"GET", parts.pathAndQuery.c_str(), nullptr, nullptr, nullptr, flags, 0);
  if (!request) {
    DWORD error = GetLastError();
    InternetCloseHandle(connection);
    SetLastError(error);
    return nullptr;
  }
  // WinINet takes the ignore flags only after a send has failed on the certificate.
  bool sent = HttpSendRequestW(request, nullptr, 0, nullptr, 0) != FALSE;
  if (!sent && IsCertificateError(GetLastError())) {
    DWORD security = 0;
    DWORD size = sizeof security;
    InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &security, &size);
    security |= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    if (InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &security, sizeof security)) {
      sent = HttpSendRequestW(request, nullptr, 0, nullptr, 0) != FALSE;
    }
  }
  if (!sent) {
    DWORD error = GetLastError();
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    SetLastError(error);
    return nullptr;
  }
  return request;
}

}  // namespace utils
