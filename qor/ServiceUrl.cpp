#include "qor/ServiceUrl.h"

#include <windows.h>

#include <cctype>
#include <cstring>

namespace qor {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool IsNameByte(unsigned char c) {
  // Letters of international names arrive as UTF-8 bytes of 0x80 and above.
  return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c >= 0x80;
}

bool IsIpv6Literal(const std::string& inside) {
  if (inside.empty()) return false;
  for (unsigned char c : inside) {
    if (!std::isxdigit(c) && c != ':' && c != '.') return false;
  }
  return inside.find(':') != std::string::npos;
}

bool ToWide(const std::string& text, std::wstring* out) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return false;
  out->resize(length);
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      &(*out)[0], length);
  return true;
}

}  // namespace

QorError ParseServiceUrl(const char* url, int port, Endpoint* out) {
  if (!url) return QOR_E_BAD_SERVICE_URL;
  if (port < 0 || port > 65535) return QOR_E_INVALID_ARG;
  std::string text(url);
  Endpoint endpoint;
  size_t hostStart;
  if (StartsWithNoCase(text, "https://")) {
    endpoint.secure = true;
    hostStart = 8;
  } else if (StartsWithNoCase(text, "http://")) {
    endpoint.secure = false;
    hostStart = 7;
  } else {
    return QOR_E_BAD_SERVICE_URL;
  }
  size_t slash = text.find('/', hostStart);
  if (slash == std::string::npos || text.compare(slash, std::string::npos, "/sdk") != 0) {
    return QOR_E_BAD_SERVICE_URL;
  }
  std::string host = text.substr(hostStart, slash - hostStart);
  if (host.empty()) return QOR_E_BAD_SERVICE_URL;
  std::string connectHost = host;
  if (host.front() == '[') {
    if (host.back() != ']') return QOR_E_BAD_SERVICE_URL;
    connectHost = host.substr(1, host.size() - 2);
    if (!IsIpv6Literal(connectHost)) return QOR_E_BAD_SERVICE_URL;
  } else {
    // The port travels separately, so a colon here is a mistake, not a port.
    for (unsigned char c : host) {
      if (!IsNameByte(c)) return QOR_E_BAD_SERVICE_URL;
    }
    if (host.front() == '.' || host.front() == '-') return QOR_E_BAD_SERVICE_URL;
  }
  if (!ToWide(connectHost, &endpoint.host)) return QOR_E_BAD_SERVICE_URL;
  endpoint.hostUtf8 = host;
  endpoint.port = static_cast<uint16_t>(port != 0 ? port : (endpoint.secure ? 443 : 80));
  *out = std::move(endpoint);
  return QOR_OK;
}

}  // namespace qor
