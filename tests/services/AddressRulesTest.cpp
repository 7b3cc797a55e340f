// Which servers may use a self-signed certificate, and the web information service's address.
#include <gtest/gtest.h>
#include <windows.h>

#include "services/InfoService.h"
#include "services/LocalServerCertificate.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/ScratchLog.h"

TEST(LocalServerCertificate, OnlyLoopbackHostsCount) {
  for (const wchar_t* url : {L"https://127.0.0.1:8443/info?id=1073", L"https://localhost/info",
                             L"https://LOCALHOST:1/", L"https://127.1.2.3/", L"https://[::1]:8443/info"}) {
    EXPECT_TRUE(utils::IsLoopbackUrl(url)) << std::wstring(url).size();
  }
  for (const wchar_t* url :
       {L"https://www.zandor.com/info", L"https://10.0.0.1/", L"https://127.0.0.1.example.com/",
        L"https://127.example.com/", L"https://1127.0.0.1/", L"https://127.0.0.256/", L"https://127.0.0/",
        L"https://localhost.example.com/", L"https://[::2]/", L"not a url"}) {
    EXPECT_FALSE(utils::IsLoopbackUrl(url)) << std::string(url, url + wcslen(url));
  }
}

TEST(InfoService, OverrideValuesBecomeABaseAddress) {
  struct Case {
    const wchar_t* value;
    const wchar_t* base;
  } accepted[] = {
      {L"127.0.0.1:8443", L"http://127.0.0.1:8443"},
      {L"  https://127.0.0.1:8443/ ", L"https://127.0.0.1:8443"},
      {L"HTTP://info.example.com", L"http://info.example.com"},
      {L"localhost", L"http://localhost"},
      {L"https://[::1]:9000", L"https://[::1]:9000"},
  };
  for (const Case& c : accepted) {
    std::wstring base;
    EXPECT_TRUE(utils::ParseInfoServiceHost(c.value, base));
    EXPECT_EQ(base, c.base);
  }
  for (const wchar_t* value : {L"", L"ftp://host", L"host:0", L"host:65536", L"host:80x", L"host/path",
                               L"http://host/info?id=1", L"user@host", L"-host", L"ho st"}) {
    std::wstring base = L"kept";
    EXPECT_FALSE(utils::ParseInfoServiceHost(value, base)) << std::string(value, value + wcslen(value));
    EXPECT_EQ(base, L"kept");
  }
}

TEST(InfoService, TheEnvironmentOverridesTheBuiltInAddressWhenValid) {
  ScratchLog log;
  EnvironmentGuard unset(utils::kInfoServiceHostVariable, L"");
  EXPECT_EQ(utils::GetUpdateDocumentUrl(), std::wstring(utils::kInfoServiceDefaultBase) + L"/info?id=1073");
  EXPECT_EQ(utils::GetDownloadPageUrl(), std::wstring(utils::kInfoServiceDefaultBase) + L"/info?id=1048");

  SetEnvironmentVariableW(utils::kInfoServiceHostVariable, L"https://127.0.0.1:8443");
  EXPECT_EQ(utils::GetUpdateDocumentUrl(), L"https://127.0.0.1:8443/info?id=1073");
  EXPECT_EQ(utils::GetDownloadPageUrl(), L"https://127.0.0.1:8443/info?id=1048");
  EXPECT_FALSE(log.Contains("ZANDOR_INFO_HOST"));

  SetEnvironmentVariableW(utils::kInfoServiceHostVariable, L"https://127.0.0.1:8443/elsewhere");
  EXPECT_EQ(utils::GetInfoServiceBase(), utils::kInfoServiceDefaultBase);
  EXPECT_TRUE(log.Contains("utils::GetInfoServiceBase: Ignoring ZANDOR_INFO_HOST 'https://127.0.0.1:8443/elsewhere'"));
}
