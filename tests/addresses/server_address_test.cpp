#include <gtest/gtest.h>

#include <random>
#include <string>

#include "backend/ServerAddress.h"

namespace {

struct Parsed {
  std::string host;
  unsigned int port = 12345;
  bool portGiven = false, useSsl = false, schemeGiven = false;
};

Parsed Parse(const std::string& text) {
  Parsed p;
  utils::ParseServerUrl(text, p.host, p.port, p.portGiven, p.useSsl, p.schemeGiven);
  return p;
}

struct ParsedW {
  std::wstring host;
  unsigned int port = 12345;
  bool portGiven = false, useSsl = false, schemeGiven = false;
};

ParsedW ParseW(const std::wstring& text) {
  ParsedW p;
  utils::ParseServerUrlW(text, p.host, p.port, p.portGiven, p.useSsl, p.schemeGiven);
  return p;
}

}  // namespace

TEST(ParseServerUrl, SchemeDecidesSslAndBareHostMeansSsl) {
  Parsed bare = Parse("srv01");
  EXPECT_EQ(bare.host, "srv01");
  EXPECT_EQ(bare.port, 0u);
  EXPECT_FALSE(bare.portGiven);
  EXPECT_TRUE(bare.useSsl);
  EXPECT_FALSE(bare.schemeGiven);

  Parsed plain = Parse("HTTP://srv01:8080");
  EXPECT_EQ(plain.host, "srv01");
  EXPECT_EQ(plain.port, 8080u);
  EXPECT_TRUE(plain.portGiven);
  EXPECT_FALSE(plain.useSsl);
  EXPECT_TRUE(plain.schemeGiven);

  Parsed secure = Parse("hTTpS://srv01");
  EXPECT_EQ(secure.host, "srv01");
  EXPECT_TRUE(secure.useSsl);
  EXPECT_TRUE(secure.schemeGiven);

  // Too short or misspelt schemes are part of the host text.
  Parsed shortScheme = Parse("https:/srv01");
  EXPECT_EQ(shortScheme.host, "https");
  EXPECT_TRUE(shortScheme.portGiven);
  EXPECT_EQ(shortScheme.port, 0u);
  EXPECT_FALSE(shortScheme.schemeGiven);
  EXPECT_TRUE(shortScheme.useSsl);

  Parsed empty = Parse("");
  EXPECT_EQ(empty.host, "");
  EXPECT_FALSE(empty.portGiven);
  EXPECT_TRUE(empty.useSsl);
  Parsed schemeOnly = Parse("http://");
  EXPECT_EQ(schemeOnly.host, "");
  EXPECT_FALSE(schemeOnly.useSsl);
  EXPECT_TRUE(schemeOnly.schemeGiven);
}

TEST(ParseServerUrl, PortTakesOnlyLeadingDigits) {
  Parsed colonOnly = Parse("srv01:");
  EXPECT_EQ(colonOnly.host, "srv01");
  EXPECT_EQ(colonOnly.port, 0u);
  EXPECT_TRUE(colonOnly.portGiven);

  EXPECT_EQ(Parse("srv01:12ab").port, 12u);
  EXPECT_EQ(Parse("srv01:ab12").port, 0u);
  EXPECT_EQ(Parse("srv01:-5").port, 0u);
  EXPECT_EQ(Parse("srv01:00000000000000000443").port, 443u);

  // IPv6-like text splits at the first colon.
  Parsed v6 = Parse("fe80::1:443");
  EXPECT_EQ(v6.host, "fe80");
  EXPECT_EQ(v6.port, 0u);
  EXPECT_TRUE(v6.portGiven);
  Parsed v6b = Parse("2001:db8::1");
  EXPECT_EQ(v6b.host, "2001");
  EXPECT_EQ(v6b.port, 0u);
  EXPECT_EQ(Parse("host:80:90").port, 80u);
}

TEST(ParseServerUrl, PortThatDoesNotFit32BitsIsNoPort) {
  EXPECT_EQ(Parse("srv01:4294967295").port, 4294967295u);
  Parsed justOver = Parse("srv01:4294967296");
  EXPECT_EQ(justOver.host, "srv01");
  EXPECT_EQ(justOver.port, 0u);
  EXPECT_TRUE(justOver.portGiven);
  EXPECT_EQ(Parse("srv01:99999999999999999999999999999999999999").port, 0u);
  EXPECT_EQ(Parse("srv01:18446744073709551617").port, 0u);  // wraps to 1 in 64 bits
  EXPECT_EQ(ParseW(L"srv01:4294967296").port, 0u);
  EXPECT_EQ(ParseW(L"srv01:4294967295").port, 4294967295u);
}

TEST(ParseServerUrl, NarrowParserKeepsPathWideParserCutsIt) {
  EXPECT_EQ(Parse("https://srv01/sdk").host, "srv01/sdk");
  ParsedW w = ParseW(L"https://srv01/sdk");
  EXPECT_EQ(w.host, L"srv01");
  EXPECT_TRUE(w.useSsl);
  EXPECT_TRUE(w.schemeGiven);
  EXPECT_FALSE(w.portGiven);

  ParsedW withPort = ParseW(L"HTTP://srv01:902/sdk");
  EXPECT_EQ(withPort.host, L"srv01");
  EXPECT_EQ(withPort.port, 902u);
  EXPECT_FALSE(withPort.useSsl);

  ParsedW pathThenColon = ParseW(L"srv01/a:7");
  EXPECT_EQ(pathThenColon.host, L"srv01");
  EXPECT_EQ(pathThenColon.port, 7u);

  ParsedW unicode = ParseW(L"h\u00e9te.example:443");
  EXPECT_EQ(unicode.host, L"h\u00e9te.example");
  EXPECT_EQ(unicode.port, 443u);
  // Non-ASCII digits are not digits.
  EXPECT_EQ(ParseW(L"srv:\u0661\u0662").port, 0u);
}

TEST(MakeUrls, FormatsAsDocumented) {
  EXPECT_EQ(utils::MakeServiceUrl("srv01", false), "http://srv01/sdk");
  EXPECT_EQ(utils::MakeServiceUrl("srv01", true), "https://srv01/sdk");

  EXPECT_EQ(utils::MakeServerUrl("srv01", 443, true, true), "https://srv01:443");
  EXPECT_EQ(utils::MakeServerUrl("srv01", 0, false, true), "http://srv01");
  EXPECT_EQ(utils::MakeServerUrl("srv01", 8080, false, false), "srv01:8080");
  EXPECT_EQ(utils::MakeServerUrl("srv01", 4294967295u, true, false), "srv01:4294967295");

  EXPECT_EQ(utils::MakeServerUrlW(L"srv01", 443, true, true), L"https://srv01:443");
  EXPECT_EQ(utils::MakeServerUrlW(L"srv01", 0, true, false), L"srv01");
  EXPECT_EQ(utils::MakeServerUrlW(L"srv01", 902, false, true), L"http://srv01:902");
}

// What the preferences file stores must read back as the same server, for every host that
// the dialog can produce (no ':' and no '/').
TEST(MakeUrls, SavedUrlRoundTripsThroughParser) {
  std::mt19937 random(20240611);
  const std::string alphabet =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_ @#%[]?=&\\\xc3\xa9\xe2\x82\xac";
  std::uniform_int_distribution<size_t> length(0, 40);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<unsigned int> anyPort;
  for (int i = 0; i < 5000; ++i) {
    std::string host;
    size_t n = length(random);
    for (size_t k = 0; k < n; ++k) host += alphabet[pick(random)];
    unsigned int port = (i % 3 == 0) ? 0u : (i % 3 == 1 ? anyPort(random) % 65536 : anyPort(random));
    bool ssl = (i % 2) == 0;
    std::string url = utils::MakeServerUrl(host, port, ssl, true);
    Parsed p = Parse(url);
    ASSERT_EQ(p.host, host) << url;
    ASSERT_EQ(p.port, port) << url;
    ASSERT_EQ(p.useSsl, ssl) << url;
    ASSERT_TRUE(p.schemeGiven);

    std::wstring whost(host.begin(), host.end());
    ParsedW w = ParseW(utils::MakeServerUrlW(whost, port, ssl, true));
    ASSERT_EQ(w.host, whost);
    ASSERT_EQ(w.port, port);
    ASSERT_EQ(w.useSsl, ssl);
  }
}
