// The second attempt through the proxy that Windows names, with a real forwarding proxy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "services/WebAccess.h"
#include "tests/support/ScratchLog.h"
#include "tests/web/InternetSettingsGuard.h"
#include "tests/web/LogOrder.h"
#include "tests/web/TestServers.h"

namespace {

// Not resolvable directly; only the test proxy knows where it lives.
const char kHiddenHost[] = "updates.zw-test.invalid";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class ProxyFallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    origin.Serve("/info", "update = 1");
    ASSERT_TRUE(origin.Start());
    proxy = std::make_unique<ForwardingProxy>(std::map<std::string, int>{{kHiddenHost, origin.Port()}});
    ASSERT_TRUE(proxy->Start());
  }
  std::wstring HiddenUrl() const {
    return L"http://" + std::wstring(kHiddenHost, kHiddenHost + sizeof kHiddenHost - 1) + L"/info?id=1073";
  }
  std::wstring ProxyAddress() const { return L"127.0.0.1:" + std::to_wstring(proxy->Port()); }

  InternetSettingsGuard settings;
  LocalHttpServer origin;
  std::unique_ptr<ForwardingProxy> proxy;
  // A fresh log for each attempt (only one log is open at a time).
  ScratchLog& FreshLog() {
    log.reset();
    log = std::make_unique<ScratchLog>();
    return *log;
  }
  std::unique_ptr<ScratchLog> log = std::make_unique<ScratchLog>();
};

}  // namespace

TEST_F(ProxyFallbackTest, DirectFailureIsRetriedThroughTheRegistryProxyWithoutDiscovery) {
  settings.SetEnable(1);
  settings.SetServer(ProxyAddress());
  std::wstring text;
  ASSERT_TRUE(utils::ReadURL(HiddenUrl(), text)) << log->Text();
  EXPECT_EQ(text, L"update = 1");
  EXPECT_EQ(proxy->RequestCount(), 1);
  // The absolute form, with or without the default port.
  EXPECT_THAT(proxy->LastTarget(), ::testing::AnyOf(Narrow(HiddenUrl()),
                                                    "http://updates.zw-test.invalid:80/info?id=1073"));
  EXPECT_EQ(origin.RequestCount(), 1);

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
}

TEST_F(ProxyFallbackTest, WithoutAProxyThereIsExactlyOneAttempt) {
  DroppingServer dropping;
  ASSERT_TRUE(dropping.Start());
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(dropping.Port()) + L"/info?id=1073";

  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant == 0 ? "ProxyEnable 0" : "ProxyEnable absent");
    const int before = dropping.ConnectionCount();
    ScratchLog& attempt = FreshLog();
    if (variant == 0) {
      settings.SetEnable(0);
      settings.SetServer(ProxyAddress());  // present but switched off
    } else {
      settings.Remove(L"ProxyEnable");
    }
    std::wstring text;
    EXPECT_FALSE(utils::ReadURL(url, text));
    EXPECT_EQ(dropping.ConnectionCount() - before, 1);
    EXPECT_EQ(proxy->RequestCount(), 0);

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

TEST_F(ProxyFallbackTest, ARegistryProxyThatIsNotSwitchedOnProperlyIsNotUsed) {
  settings.SetServer(ProxyAddress());
  const DWORD minusOne = 0xFFFFFFFF;  // taken as signed: below zero
  const wchar_t textOne[] = L"1";
  const unsigned long long wideOne = 1;
  struct Case {
    const char* name;
    DWORD type;
    const void* data;
    DWORD size;
  } cases[] = {
      {"negative number", REG_DWORD, &minusOne, sizeof minusOne},
      {"text", REG_SZ, textOne, sizeof textOne},
      {"64-bit number", REG_QWORD, &wideOne, sizeof wideOne},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.SetRaw(L"ProxyEnable", c.type, c.data, c.size);
    ScratchLog& attempt = FreshLog();
    std::wstring proxyFound;
    EXPECT_FALSE(utils::HttpGetHostProxySettings(HiddenUrl(), proxyFound));
    EXPECT_TRUE(proxyFound.empty());
    EXPECT_FALSE(attempt.Contains("in registry"));
  }

  // Switched on but without a server (or with an empty one): discovery runs instead.
  settings.SetEnable(1);
  for (bool empty : {false, true}) {
    if (empty) settings.SetServer(L""); else settings.Remove(L"ProxyServer");
    ScratchLog& attempt = FreshLog();
    std::wstring proxyFound;
    EXPECT_FALSE(utils::HttpGetHostProxySettings(HiddenUrl(), proxyFound));
    EXPECT_FALSE(attempt.Contains("in registry"));
    EXPECT_TRUE(attempt.Contains("utils::HttpGetHostProxySettings: ")) << attempt.Text();
  }
  EXPECT_EQ(proxy->RequestCount(), 0);
}

TEST_F(ProxyFallbackTest, AnUnreachableProxyFailsWithTheWholeStory) {
  const std::wstring deadProxy = L"127.0.0.1:" + std::to_wstring(UnusedLocalPort());
  settings.SetEnable(1);
  settings.SetServer(deadProxy);
  std::wstring text;
  EXPECT_FALSE(utils::ReadURL(HiddenUrl(), text));
  EXPECT_EQ(origin.RequestCount(), 0);

  const std::string url = Narrow(HiddenUrl());
  const std::string written = log->Text();
  EXPECT_TRUE(AppearInOrder(written, {"utils::HttpOpenUrl: InternetOpenUrl() failed: " + url + " (",
                                      "utils::ReadURL: InternetOpen failed for direct connection. Checking for proxy.\n",
                                      "utils::HttpGetHostProxySettings: Found windows proxy server/port in registry: '" +
                                          Narrow(deadProxy) + "'.\n",
                                      "utils::HttpOpenUrl: InternetOpenUrl() failed: " + url + " (",
                                      "utils::ReadURL: InternetOpen failed with system-specified proxy.\n",
                                      "utils::ReadURL: Unable to open url at '" + url + "'.\n"}))
      << written;
}
