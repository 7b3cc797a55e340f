// The second attempt through the proxy that Windows names, with a real forwarding proxy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "services/WebAccess.h"
#include "tests/support/ScratchLog.h"
#include "tests/services/InternetSettingsGuard.h"
#include "tests/services/LogOrder.h"
#include "tests/support/TestServers.h"

namespace {

// Not resolvable directly; only the test proxy knows where it lives.
const char kHiddenHost[] = "updates.zw-test.invalid";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The proxy answers requests for the hidden host itself, as a forwarding proxy would.
class ProxyFallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    proxy.Serve("/info", "update = 1");
    ASSERT_TRUE(proxy.Start());
  }
  std::wstring HiddenUrl() const {
    return L"http://" + std::wstring(kHiddenHost, kHiddenHost + sizeof kHiddenHost - 1) + L"/info?id=1073";
  }
  std::wstring ProxyAddress() const { return L"127.0.0.1:" + std::to_wstring(proxy.Port()); }

  InternetSettingsGuard settings;
  LocalHttpServer proxy;
  // A fresh log for each attempt (only one log is open at a time).
  ScratchLog& FreshLog() {
    log.reset();
    log = std::make_unique<ScratchLog>();
    return *log;
  }
  std::unique_ptr<ScratchLog> log = std::make_unique<ScratchLog>();
};

}  // namespace

TEST_F(ProxyFallbackTest, DirectFailureIsRetriedThroughTheRegistryProxyWithoutDiscoveryAndAFailedProxyIsLogged) {
  settings.SetEnable(1);
  settings.SetServer(ProxyAddress());
  std::wstring text;
  ASSERT_TRUE(utils::ReadURL(HiddenUrl(), text)) << log->Text();
  EXPECT_EQ(text, L"update = 1");
  EXPECT_EQ(proxy.RequestCount(), 1);
  // The absolute form, with or without the default port.
  EXPECT_THAT(proxy.LastTarget(), ::testing::AnyOf(Narrow(HiddenUrl()),
                                                   "http://updates.zw-test.invalid:80/info?id=1073"));

  const std::string written = log->Text();
  EXPECT_TRUE(AppearInOrder(written, {"utils::HttpOpenUrl: InternetOpenUrl() failed: " + Narrow(HiddenUrl()),
                                      "utils::ReadURL: InternetOpen failed for direct connection. Checking for proxy.\n",
                                      "utils::HttpGetHostProxySettings: Found windows proxy server/port in registry: '" +
                                          Narrow(ProxyAddress()) + "'.\n"}))
      << written;
  EXPECT_EQ(CountOf(written, "InternetOpenUrl() failed"), 1) << written;
  EXPECT_EQ(CountOf(written, "winhttp"), 0) << written;
  EXPECT_EQ(CountOf(written, "GetProxyForUrl"), 0) << written;
  EXPECT_EQ(CountOf(written, "Unable to open url"), 0) << written;

  // A proxy that does not answer either: the whole story is logged.
  const std::wstring deadProxy = L"127.0.0.1:" + std::to_wstring(UnusedLocalPort());
  settings.SetServer(deadProxy);
  const std::string url = Narrow(HiddenUrl());
  ScratchLog& attempt = FreshLog();
  EXPECT_FALSE(utils::ReadURL(HiddenUrl(), text));
  EXPECT_TRUE(AppearInOrder(attempt.Text(),
                            {"utils::HttpOpenUrl: InternetOpenUrl() failed: " + url + " (",
                             "utils::ReadURL: InternetOpen failed for direct connection. Checking for proxy.\n",
                             "utils::HttpGetHostProxySettings: Found windows proxy server/port in registry: '" +
                                 Narrow(deadProxy) + "'.\n",
                             "utils::HttpOpenUrl: InternetOpenUrl() failed: " + url + " (",
                             "utils::ReadURL: InternetOpen failed with system-specified proxy.\n",
                             "utils::ReadURL: Unable to open url at '" + url + "'.\n"}))
      << attempt.Text();
}

// ProxyEnable must be the number 1 and ProxyServer must name a server; otherwise a failed
// direct attempt is the only one.
TEST_F(ProxyFallbackTest, ARegistryProxyThatIsNotSwitchedOnProperlyIsNotUsed) {
  LocalHttpServer dropping(LocalHttpServer::Kind::kDropping);
  ASSERT_TRUE(dropping.Start());
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(dropping.Port()) + L"/info?id=1073";
  const DWORD zero = 0, one = 1, minusOne = 0xFFFFFFFF;  // taken as signed: below zero
  const wchar_t textOne[] = L"1";
  const unsigned long long wideOne = 1;
  const struct {
    const char* name;
    DWORD type;  // of ProxyEnable; 0: absent
    const void* data;
    DWORD size;
    const wchar_t* server;  // null: absent
  } cases[] = {
      {"switched off", REG_DWORD, &zero, sizeof zero, L"proxy"},
      {"ProxyEnable absent", 0, nullptr, 0, L"proxy"},
      {"negative number", REG_DWORD, &minusOne, sizeof minusOne, L"proxy"},
      {"text", REG_SZ, textOne, sizeof textOne, L"proxy"},
      {"64-bit number", REG_QWORD, &wideOne, sizeof wideOne, L"proxy"},
      {"switched on without a server", REG_DWORD, &one, sizeof one, nullptr},
      {"switched on with an empty server", REG_DWORD, &one, sizeof one, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.type) RegSetKeyValueW(HKEY_CURRENT_USER, settings.kKey, L"ProxyEnable", c.type, c.data, c.size);
    else settings.Remove(L"ProxyEnable");
    if (!c.server) settings.Remove(L"ProxyServer");
    else settings.SetServer(*c.server ? ProxyAddress() : std::wstring());
    const int before = dropping.RequestCount();
    ScratchLog& attempt = FreshLog();
    std::wstring text;
    EXPECT_FALSE(utils::ReadURL(url, text));
    EXPECT_EQ(dropping.RequestCount() - before, 1);
    EXPECT_EQ(proxy.RequestCount(), 0);

    const std::string written = attempt.Text();
    EXPECT_TRUE(AppearInOrder(written, {"utils::ReadURL: InternetOpen failed for direct connection. Checking for proxy.\n",
                                        "utils::HttpGetHostProxySettings: ",
                                        "utils::ReadURL: Unable to open url at '" + Narrow(url) + "'.\n"}))
        << written;
    EXPECT_EQ(CountOf(written, "InternetOpenUrl() failed"), 1) << written;
    EXPECT_EQ(CountOf(written, "in registry"), 0) << written;
    EXPECT_EQ(CountOf(written, "system-specified proxy"), 0) << written;
  }
}
