#include "console/HostArgument.h"

#include <cwctype>

namespace lumacon {
namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size() || std::towlower(text[i]) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::wstring HostArgument::ServiceUrl() const {
  return std::wstring(useSsl ? L"https://" : L"http://") + host + L"/sdk";
}

std::wstring HostArgument::Display() const {
  return port ? host + L":" + std::to_wstring(port) : host;
}

bool ParseHostArgument(const std::wstring& text, HostArgument& out, std::wstring& problem) {
  out = HostArgument();
  std::wstring rest = text;
  if (StartsWithNoCase(rest, L"https://")) {
    rest = rest.substr(8);
  } else if (StartsWithNoCase(rest, L"http://")) {
    out.useSsl = false;
    rest = rest.substr(7);
  }
  size_t colon = rest.find(L':');
  out.host = rest.substr(0, colon);
  if (out.host.empty() || out.host.find_first_of(L"/\\ ") != std::wstring::npos) {
    problem = L"'" + text + L"' is not a server address.";
    return false;
  }
  if (colon == std::wstring::npos) return true;
  std::wstring digits = rest.substr(colon + 1);
  unsigned long port = 0;
  bool valid = !digits.empty() && digits.size() <= 5;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') valid = false;
    port = port * 10 + static_cast<unsigned long>(c - L'0');
  }
  if (!valid || port == 0 || port > 65535) {
    problem = L"'" + digits + L"' is not a port number.";
    return false;
  }
  out.port = static_cast<unsigned int>(port);
  return true;
}

}  // namespace lumacon
