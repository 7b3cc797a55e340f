#include "backend/ServerAddress.h"

#include <cstdint>
#include <string_view>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace {

template <typename Char>
Char AsciiLower(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Case-insensitive over ASCII letters only: scheme names are ASCII and the user's locale
// must not change what counts as "https://".
template <typename Char>
bool StartsWithNoCase(std::basic_string_view<Char> text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != static_cast<Char>(prefix[i])) return false;
  }
  return true;
}

struct PortDigits {
  unsigned int value = 0;
  bool overflow = false;
};

// Leading decimal digits only; a number that does not fit 32 bits is no port at all.
template <typename Char>
PortDigits ReadPortDigits(std::basic_string_view<Char> text) {
  PortDigits result;
  uint64_t value = 0;
  for (Char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > UINT32_MAX) {
      result.overflow = true;
      return result;
    }
  }
  result.value = static_cast<unsigned int>(value);
  return result;
}

template <typename Char>
void ParseUrl(std::basic_string_view<Char> text, std::basic_string<Char>& host, unsigned int& port,
              bool& portGiven, bool& useSsl, bool& schemeGiven, bool cutPath, const char* caller) {
  std::basic_string_view<Char> rest;
  if (StartsWithNoCase(text, "https://")) {
    useSsl = true;
    schemeGiven = true;
    rest = text.substr(8);
  } else if (StartsWithNoCase(text, "http://")) {
    useSsl = false;
    schemeGiven = true;
    rest = text.substr(7);
  } else {
    useSsl = true;
    schemeGiven = false;
    rest = text;
  }

  size_t colon = rest.find(static_cast<Char>(':'));
  std::basic_string_view<Char> hostPart = rest.substr(0, colon);
  if (colon == std::basic_string_view<Char>::npos) {
    port = 0;
    portGiven = false;
  } else {
    PortDigits digits = ReadPortDigits(rest.substr(colon + 1));
    port = digits.value;
    portGiven = true;
    if (digits.overflow) {
      std::string where;
      if constexpr (sizeof(Char) == 1) {
        where.assign(text.begin(), text.end());
      } else {
        where = utils::ToUtf8String(std::wstring(text));
      }
      Log("%s: The port number in '%s' is too large; no port is used.\n", caller, where.c_str());
    }
  }

  if (cutPath) {
    size_t slash = hostPart.find(static_cast<Char>('/'));
    hostPart = hostPart.substr(0, slash);
  }
  host.assign(hostPart.begin(), hostPart.end());
}

}  // namespace

namespace utils {

void ParseServerUrl(const std::string& text, std::string& host, unsigned int& port,
                    bool& portGiven, bool& useSsl, bool& schemeGiven) {
  ParseUrl<char>(text, host, port, portGiven, useSsl, schemeGiven, false, "utils::ParseServerUrl");
}

void ParseServerUrlW(const std::wstring& text, std::wstring& host, unsigned int& port,
                     bool& portGiven, bool& useSsl, bool& schemeGiven) {
  ParseUrl<wchar_t>(text, host, port, portGiven, useSsl, schemeGiven, true, "utils::ParseServerUrlW");
}

std::string MakeServiceUrl(const std::string& host, bool useSsl) {
  return (useSsl ? "https://" : "http://") + host + "/sdk";
}

std::string MakeServerUrl(const std::string& host, unsigned int port, bool useSsl, bool withScheme) {
  std::string url;
  if (withScheme) url = useSsl ? "https://" : "http://";
  url += host;
  if (port != 0) url += ":" + std::to_string(port);
  return url;
}

std::wstring MakeServerUrlW(const std::wstring& host, unsigned int port, bool useSsl, bool withScheme) {
  std::wstring url;
  if (withScheme) url = useSsl ? L"https://" : L"http://";
  url += host;
  if (port != 0) url += L":" + std::to_wstring(port);
  return url;
}

}  // namespace utils
