// The address a host connection talks to, from the service URL and the separate port.
#pragma once

#include <cstdint>
#include <string>

#include "backend/QorApi.h"

namespace qor {

struct Endpoint {
  std::wstring host;     // as WinHTTP wants it (an IPv6 literal without brackets)
  std::string hostUtf8;  // for log lines
  uint16_t port = 0;
  bool secure = true;
};

// Accepts "https://host/sdk" and "http://host/sdk" (scheme in any letter case, host a
// name, an IPv4 address or a bracketed IPv6 literal). Port 0 means the scheme's default
// (443 or 80). Anything else: QOR_E_BAD_SERVICE_URL; a port outside 0..65535:
// QOR_E_INVALID_ARG.
QorError ParseServiceUrl(const char* url, int port, Endpoint* out);

}  // namespace qor
