#include "services/InfoService.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace utils {
namespace {

std::wstring Trim(const std::wstring& text) {
  size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return std::wstring();
  size_t last = text.find_last_not_of(L" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (towlower(text[i]) != towlower(prefix[i])) return false;
  }
  return true;
}

bool IsHostNameChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
         c == L'-';
}

bool IsValidHost(const std::wstring& host) {
  if (host.empty()) return false;
  if (host.front() == L'[') {  // IPv6 literal
    if (host.size() < 3 || host.back() != L']') return false;
    for (size_t i = 1; i + 1 < host.size(); ++i) {
      if (!iswxdigit(host[i]) && host[i] != L':' && host[i] != L'.') return false;
    }
    return true;
  }
  for (wchar_t c : host) {
    if (!IsHostNameChar(c)) return false;
  }
  return host.front() != L'.' && host.front() != L'-';
}

bool IsValidPort(const std::wstring& port) {
  if (port.empty() || port.size() > 5) return false;
  long value = 0;
  for (wchar_t c : port) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  return value >= 1 && value <= 65535;
}

std::wstring ReadEnvironment(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::vector<wchar_t> buffer(size + 1, L'\0');
  DWORD got = GetEnvironmentVariableW(name, buffer.data(), size);
  if (got == 0 || got >= size) return std::wstring();
  return std::wstring(buffer.data(), got);
}

}  // namespace

bool ParseInfoServiceHost(const std::wstring& value, std::wstring& base) {
  std::wstring rest = Trim(value);
  std::wstring scheme = L"http";
  if (StartsWithNoCase(rest, L"https://")) {
    scheme = L"https";
    rest = rest.substr(8);
  } else if (StartsWithNoCase(rest, L"http://")) {
    rest = rest.substr(7);
  }
  if (!rest.empty() && rest.back() == L'/') rest.pop_back();

  std::wstring host = rest;
  std::wstring port;
  size_t colon = rest.rfind(L':');
  size_t bracket = rest.rfind(L']');
  if (colon != std::wstring::npos && (bracket == std::wstring::npos || colon > bracket)) {
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    if (!IsValidPort(port)) return false;
  }
  if (!IsValidHost(host)) return false;
  base = scheme + L"://" + host + (port.empty() ? L"" : L":" + port);
  return true;
}

std::wstring GetInfoServiceBase() {
  std::wstring value = ReadEnvironment(kInfoServiceHostVariable);
  if (value.empty()) return kInfoServiceDefaultBase;
  std::wstring base;
  if (!ParseInfoServiceHost(value, base)) {
    Log("%s: Ignoring ZANDOR_INFO_HOST '%s': expected host[:port], optionally after http:// or https://.\n",
        "utils::GetInfoServiceBase", ToUtf8String(value).c_str());
    return kInfoServiceDefaultBase;
  }
  return base;
}

std::wstring GetUpdateDocumentUrl() { return GetInfoServiceBase() + kUpdateDocumentPath; }

std::wstring GetDownloadPageUrl() { return GetInfoServiceBase() + kDownloadPagePath; }

}  // namespace utils
