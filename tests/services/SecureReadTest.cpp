// ReadURL over https against the simulator's TLS port (self-signed certificate).
#include <gtest/gtest.h>

#include "services/WebAccess.h"
#include "tests/support/ScratchLog.h"
#include "tests/support/SimulatorFixture.h"
#include "tests/services/InternetSettingsGuard.h"

TEST(SecureRead, AnHttpsDocumentOfALocalServerIsRead) {
  InternetSettingsGuard settings;
  settings.SetEnable(0);
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start()) << sim.LastError();
  ASSERT_TRUE(sim.Secure());
  ScratchLog log;
  const std::wstring base = L"https://127.0.0.1:" + std::to_wstring(sim.Port());

  std::wstring text;
  ASSERT_TRUE(utils::ReadURL(base + L"/info?id=1073", text)) << log.Text();
  EXPECT_NE(text.find(L"update = 1"), std::wstring::npos);

  ASSERT_TRUE(sim.Admin("update", R"({"available": false})")) << sim.LastError();
  ASSERT_TRUE(utils::ReadURL(base + L"/info?id=1073", text));
  EXPECT_EQ(text.find(L"update = 1"), std::wstring::npos);
  EXPECT_NE(text.find(L"update = 0"), std::wstring::npos);

  // The same server over plain http is not a document (the TLS port does not speak it).
  EXPECT_FALSE(utils::ReadURL(L"http://127.0.0.1:" + std::to_wstring(sim.Port()) + L"/info?id=1073", text));
  EXPECT_TRUE(log.Contains("utils::HttpOpenUrl: Accepting the untrusted certificate of the local server at '"))
      << log.Text();
}
