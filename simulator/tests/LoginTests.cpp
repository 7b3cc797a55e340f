// login, logout and session checks over both schemes.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;

class LoginTest : public SimFixture {};
SIM_BOTH_SCHEMES(LoginTest);

// The account is compared exactly; an unlicensed host refuses only logins that would have
// succeeded. Every answer, refusals too, carries the protocol header.
TEST_P(LoginTest, OnlyTheExactAccountGetsASessionAndAnUnlicensedHostThenRefusesWith32) {
  const struct {
    bool unlicensed;
    const char* user;
    const char* password;
    int error;  // 0: a session
  } attempts[] = {
      {false, "alice", "s3cret", 0},  {false, "alice", "wrong", 3014}, {false, "bob", "s3cret", 3014},
      {false, "ALICE", "s3cret", 3014}, {false, "", "", 3014},  // what the server probe sends
      {false, "alice", "", 3014},     {true, "alice", "s3cret", 32},   {true, "alice", "nope", 3014},
      {true, "", "", 3014},           {false, "alice", "s3cret", 0},
  };
  for (const auto& a : attempts) {
    SCOPED_TRACE(std::string(a.unlicensed ? "unlicensed " : "") + a.user + "/" + a.password);
    ASSERT_EQ(Admin("unlicensed", {{"on", a.unlicensed}})["ok"], true);
    auto answer = Sdk({{"op", "login"}, {"user", a.user}, {"password", a.password}});
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.Header("X-Zandor-Sdk"), "1");
    auto body = answer.Json();
    EXPECT_EQ(body["ok"], a.error == 0);
    if (a.error == 0) {
      ASSERT_TRUE(body["session"].is_string());
      EXPECT_EQ(body["session"].get<std::string>().size(), 32u);
    } else {
      EXPECT_EQ(body["error"], a.error);
      EXPECT_TRUE(body["text"].is_string());
      EXPECT_FALSE(body.contains("session"));
    }
  }
  EXPECT_NE(Login(), Login());  // two logins, two sessions
}

TEST_P(LoginTest, CredentialsCommandReplacesTheAccountButKeepsOpenSessions) {
  std::string session = Login();
  EXPECT_EQ(Admin("credentials", {{"user", "carol"}, {"password", "n3w"}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", "alice"}, {"password", "s3cret"}})["error"], 3014);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", "carol"}, {"password", "n3w"}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", session}})["ok"], true);
  // An empty account would make the probe's empty login succeed; it is refused.
  EXPECT_EQ(AdminRaw("credentials", R"({"user":"","password":""})").status, 400);
}

// Every operation but login needs a known session: an unknown one, one logged out (logout
// is idempotent) and one dropped by the admin all give 36.
TEST_P(LoginTest, SessionsEndByLogoutOrDropAndEveryOtherOperationThenGives36) {
  std::string loggedOut = Login(), dropped = Login(), other = Login();
  EXPECT_EQ(SdkJson({{"op", "logout"}, {"session", loggedOut}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "logout"}, {"session", loggedOut}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "logout"}, {"session", "no-such-session"}})["ok"], true);
  auto drop = Admin("dropSessions");
  EXPECT_EQ(drop["ok"], true);
  EXPECT_EQ(drop["dropped"], 2);
  EXPECT_EQ(Admin("state")["sessions"], 0);
  for (const std::string& session : {loggedOut, dropped, other, std::string(32, '0')}) {
    for (const char* op : {"listVms", "getVm", "power", "events"}) {
      auto body = SdkJson({{"op", op}, {"session", session}, {"moid", "vm-1"}, {"action", "on"}, {"since", 0},
                           {"waitMs", 0}});
      EXPECT_EQ(body["ok"], false) << op;
      EXPECT_EQ(body["error"], 36) << op;
    }
  }
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", Login()}})["ok"], true);  // logging in again works
}

}  // namespace
}  // namespace simtest
