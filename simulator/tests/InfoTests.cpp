// The web information service on the service port.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

class InfoTest : public SimFixture {};
SIM_BOTH_SCHEMES(InfoTest);

// The update document follows the update setting (an option at start, the admin command
// later); the download page is HTML; other ids are not found.
TEST_P(InfoTest, UpdateDocumentFollowsTheSettingAndOnlyKnownIdsAreServed) {
  auto offered = TestClient(BaseUrl()).Get("/info?id=1073");
  EXPECT_EQ(offered.status, 200);
  EXPECT_EQ(offered.Header("Content-Type").rfind("text/plain", 0), 0u);
  EXPECT_NE(offered.body.find("update = 1"), std::string::npos);
  ASSERT_EQ(Admin("update", {{"available", false}})["ok"], true);
  auto none = TestClient(BaseUrl()).Get("/info?id=1073");
  EXPECT_EQ(none.body.find("update = 1"), std::string::npos);
  EXPECT_NE(none.body.find("update = 0"), std::string::npos);
  EXPECT_EQ(Admin("state")["updateAvailable"], false);

  auto page = TestClient(BaseUrl()).Get("/info?id=1048");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.Header("Content-Type").rfind("text/html", 0), 0u);
  EXPECT_NE(page.body.find("<html>"), std::string::npos);
  for (const char* path : {"/info?id=1", "/info?id=10730", "/info", "/info?id="}) {
    EXPECT_EQ(TestClient(BaseUrl()).Get(path).status, 404) << path;
  }

  auto options = TestOptions(GetParam());
  options.updateAvailable = false;
  StartWith(options);
  EXPECT_NE(TestClient(BaseUrl()).Get("/info?id=1073").body.find("update = 0"), std::string::npos);
}

}  // namespace
}  // namespace simtest
