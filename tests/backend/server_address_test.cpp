#include <gtest/gtest.h>

#include <string>

#include "backend/ServerAddress.h"

namespace {

template <class String>
struct Parsed {
  String host;
  unsigned int port = 12345;
  bool portGiven = false, useSsl = false, schemeGiven = false;
};

Parsed<std::string> Parse(const std::string& text) {
  Parsed<std::string> p;
  utils::ParseServerUrl(text, p.host, p.port, p.portGiven, p.useSsl, p.schemeGiven);
  return p;
}

Parsed<std::wstring> Parse(const std::wstring& text) {
  Parsed<std::wstring> p;
  utils::ParseServerUrlW(text, p.host, p.port, p.portGiven, p.useSsl, p.schemeGiven);
  return p;
}

// Parses text and checks every part: host, port, port given, SSL, scheme given.
template <class Char>
void Expect(const Char* text, const Char* host, unsigned int port, bool portGiven, bool useSsl, bool schemeGiven) {
  SCOPED_TRACE(::testing::PrintToString(text));
  const auto p = Parse(std::basic_string<Char>(text));
  EXPECT_EQ(p.host, host);
  EXPECT_EQ(p.port, port);
  EXPECT_EQ(p.portGiven, portGiven);
  EXPECT_EQ(p.useSsl, useSsl);
  EXPECT_EQ(p.schemeGiven, schemeGiven);
}

}  // namespace

TEST(ParseServerUrl, SchemeDecidesSslAndBareHostMeansSsl) {
  Expect("srv01", "srv01", 0, false, true, false);
  Expect("HTTP://srv01:8080", "srv01", 8080, true, false, true);
  Expect("hTTpS://srv01", "srv01", 0, false, true, true);
  // Too short or misspelt schemes are part of the host text.
  Expect("https:/srv01", "https", 0, true, true, false);
  Expect("", "", 0, false, true, false);
  Expect("http://", "", 0, false, false, true);
}

TEST(ParseServerUrl, PortTakesOnlyLeadingDigits) {
  Expect("srv01:", "srv01", 0, true, true, false);
  Expect("srv01:12ab", "srv01", 12, true, true, false);
  Expect("srv01:ab12", "srv01", 0, true, true, false);
  Expect("srv01:-5", "srv01", 0, true, true, false);
  Expect("srv01:00000000000000000443", "srv01", 443, true, true, false);
  // IPv6-like text splits at the first colon.
  Expect("fe80::1:443", "fe80", 0, true, true, false);
  Expect("2001:db8::1", "2001", 0, true, true, false);
  Expect("host:80:90", "host", 80, true, true, false);
}

TEST(ParseServerUrl, PortThatDoesNotFit32BitsIsNoPort) {
  Expect("srv01:4294967295", "srv01", 4294967295u, true, true, false);
  Expect("srv01:4294967296", "srv01", 0, true, true, false);
  Expect("srv01:99999999999999999999999999999999999999", "srv01", 0, true, true, false);
  Expect("srv01:18446744073709551617", "srv01", 0, true, true, false);  // wraps to 1 in 64 bits
  Expect(L"srv01:4294967296", L"srv01", 0, true, true, false);
  Expect(L"srv01:4294967295", L"srv01", 4294967295u, true, true, false);
}

TEST(ParseServerUrl, NarrowParserKeepsPathWideParserCutsIt) {
  Expect("https://srv01/sdk", "srv01/sdk", 0, false, true, true);
  Expect(L"https://srv01/sdk", L"srv01", 0, false, true, true);
  Expect(L"HTTP://srv01:902/sdk", L"srv01", 902, true, false, true);
  Expect(L"srv01/a:7", L"srv01", 7, true, true, false);
  Expect(L"h\u00e9te.example:443", L"h\u00e9te.example", 443, true, true, false);
  // Non-ASCII digits are not digits.
  Expect(L"srv:\u0661\u0662", L"srv", 0, true, true, false);
}
