// utils::ReadURL against real servers on 127.0.0.1.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "services/WebAccess.h"
#include "tests/support/ScratchLog.h"
#include "tests/services/InternetSettingsGuard.h"
#include "tests/support/TestServers.h"

namespace {

class ReadUrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No proxy: a failing direct attempt must not be retried through one.
    settings.SetEnable(0);
    ASSERT_TRUE(server.Start());
  }
  InternetSettingsGuard settings;
  LocalHttpServer server;
  ScratchLog log;
};

}  // namespace

// The body as text, fetched again each time (never from a cache), up to exactly the limit
// and up to a zero byte.
TEST_F(ReadUrlTest, ReturnsTheBodyAsTextFreshFromTheServerEachTime) {
  server.Serve("/info", "line one\r\nupdate = 0\r\n");
  std::wstring text;
  ASSERT_TRUE(utils::ReadURL(server.Url("/info?id=1073"), text));
  EXPECT_EQ(text, L"line one\r\nupdate = 0\r\n");
  EXPECT_EQ(server.LastHeader("User-Agent"), "Microsoft Internet Explorer");
  server.Serve("/info", "update = 1");
  ASSERT_TRUE(utils::ReadURL(server.Url("/info?id=1073"), text));
  EXPECT_EQ(text, L"update = 1");
  EXPECT_EQ(server.RequestCount(), 2);

  std::string body;
  for (int i = 0; body.size() < utils::kMaxDocumentBytes; ++i) body += "row " + std::to_string(i) + "\n";
  body.resize(utils::kMaxDocumentBytes);  // many chunks long
  server.Serve("/limit", body);
  ASSERT_TRUE(utils::ReadURL(server.Url("/limit"), text));
  EXPECT_EQ(text, std::wstring(body.begin(), body.end()));
  server.Serve("/zero", std::string("update = 1\0hidden", 17));
  ASSERT_TRUE(utils::ReadURL(server.Url("/zero"), text));
  EXPECT_EQ(text, L"update = 1");
  EXPECT_FALSE(log.Contains("utils::"));
}

// Each is fetched once, leaves the caller's text alone and says why in the log.
TEST_F(ReadUrlTest, DocumentsThatCannotBeTheAnswerFailWithTheirReason) {
  const struct {
    const char* path;
    std::string body;
    int status;
    const char* reason;
  } cases[] = {
      {"/empty", "", 200, "' is empty."},
      {"/lead", std::string("\0update = 1", 11), 200, "' is empty."},
      {"/gone", "update = 1 (but this is an error page)", 404, "' with HTTP status 404."},
      {"/broken", "update = 1", 500, "' with HTTP status 500."},
      {"/huge", std::string(utils::kMaxDocumentBytes + 1, 'x'), 200, "' is longer than 1048576 bytes."},
  };
  int requests = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    server.Serve(c.path, c.body, c.status);
    std::wstring text = L"untouched";
    const std::wstring url = server.Url(c.path);
    EXPECT_FALSE(utils::ReadURL(url, text));
    EXPECT_TRUE(text == L"untouched") << "the caller's text was replaced by " << text.size() << " characters";
    EXPECT_EQ(server.RequestCount(), ++requests);
    EXPECT_TRUE(log.Contains("'" + std::string(url.begin(), url.end()) + c.reason)) << log.Text();
  }
  EXPECT_TRUE(log.Contains("utils::ReadURL: The document at 'http://127.0.0.1:" + std::to_string(server.Port()) +
                           "/empty' is empty."));
}

TEST_F(ReadUrlTest, AnAnswerThatTricklesOrNeverComesIsGivenUpAtTheDeadline) {
  // Each would hold the fetch for 12 s: 48 bytes a quarter of a second apart, or silence.
  LocalHttpServer trickling(LocalHttpServer::Kind::kTrickling, 48, 250);
  LocalHttpServer silent(LocalHttpServer::Kind::kSilent, 48, 250);
  ASSERT_TRUE(trickling.Start());
  ASSERT_TRUE(silent.Start());
  // Both at once, as two callers would.
  std::wstring trickled = L"untouched", unanswered = L"untouched";
  bool trickledRead = true, unansweredRead = true;
  std::thread other([&] { unansweredRead = utils::ReadURL(silent.Url("/info?id=1073"), unanswered); });
  trickledRead = utils::ReadURL(trickling.Url("/info?id=1073"), trickled);
  other.join();

  EXPECT_FALSE(trickledRead);
  EXPECT_FALSE(unansweredRead);
  EXPECT_EQ(trickled, L"untouched");
  EXPECT_EQ(unanswered, L"untouched");
  for (const LocalHttpServer* slow : {&trickling, &silent}) {
    const std::wstring url = slow->Url("/info?id=1073");
    EXPECT_TRUE(log.Contains("utils::ReadURL: No complete answer from '" + std::string(url.begin(), url.end()) +
                             "' within 5 seconds; the fetch is given up."))
        << log.Text();
  }
}

TEST_F(ReadUrlTest, AUrlThatCannotBeSplitFailsBeforeAnyNetworkUse) {
  LocalHttpServer listener(LocalHttpServer::Kind::kDropping);
  ASSERT_TRUE(listener.Start());
  const std::wstring port = std::to_wstring(listener.Port());
  for (const std::wstring& url :
       {std::wstring(), std::wstring(L"not a url"), L"//127.0.0.1:" + port + L"/info", L"127.0.0.1 " + port}) {
    std::wstring text = L"untouched";
    EXPECT_FALSE(utils::ReadURL(url, text)) << std::string(url.begin(), url.end());
    EXPECT_EQ(text, L"untouched");
  }
  EXPECT_EQ(listener.RequestCount(), 0);
  EXPECT_EQ(server.RequestCount(), 0);
  // Nothing was tried, so nothing was logged.
  EXPECT_FALSE(log.Contains("utils::")) << log.Text();
}

// A failed open hands the caller neither handle, whatever they held (a success hands both:
// every document ReadURL reads went through it).
TEST_F(ReadUrlTest, AFailedHttpOpenUrlHandsTheCallerNeitherHandle) {
  const int refused = UnusedLocalPort();
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(refused) + L"/info";
  utils::InternetHandle session = reinterpret_cast<utils::InternetHandle>(1), request = session;
  EXPECT_FALSE(utils::HttpOpenUrl(url, L"", 0x80000000UL, session, request));
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(request, nullptr);
  EXPECT_TRUE(log.Contains("utils::HttpOpenUrl: InternetOpenUrl() failed: http://127.0.0.1:" +
                           std::to_string(refused) + "/info ("));
}
