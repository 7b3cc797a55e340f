// login, logout and session checks over both schemes.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;

class LoginTest : public SimFixture {};
SIM_BOTH_SCHEMES(LoginTest);

TEST_P(LoginTest, CorrectCredentialsGiveASessionAndEveryAnswerCarriesTheSdkHeader) {
  auto answer = Sdk({{"op", "login"}, {"user", "alice"}, {"password", "s3cret"}});
  ASSERT_TRUE(answer.answered);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.Header("X-Zandor-Sdk"), "1");
  auto body = answer.Json();
  EXPECT_EQ(body["ok"], true);
  ASSERT_TRUE(body["session"].is_string());
  EXPECT_EQ(body["session"].get<std::string>().size(), 32u);
  // Two logins are two sessions.
  EXPECT_NE(Login(), Login());
}

TEST_P(LoginTest, WrongOrEmptyCredentialsGive3014) {
  const json attempts[] = {
      {{"op", "login"}, {"user", "alice"}, {"password", "wrong"}},
      {{"op", "login"}, {"user", "bob"}, {"password", "s3cret"}},
      {{"op", "login"}, {"user", "ALICE"}, {"password", "s3cret"}},
      {{"op", "login"}, {"user", ""}, {"password", ""}},  // what the server probe sends
      {{"op", "login"}, {"user", "alice"}, {"password", ""}},
  };
  for (const auto& attempt : attempts) {
    auto answer = Sdk(attempt);
    EXPECT_EQ(answer.status, 200) << attempt.dump();
    EXPECT_EQ(answer.Header("X-Zandor-Sdk"), "1");
    auto body = answer.Json();
    EXPECT_EQ(body["ok"], false) << attempt.dump();
    EXPECT_EQ(body["error"], 3014) << attempt.dump();
    EXPECT_TRUE(body["text"].is_string());
    EXPECT_FALSE(body.contains("session"));
  }
}

TEST_P(LoginTest, UnlicensedHostRefusesWith32OnlyAfterTheCredentialsWereChecked) {
  auto options = TestOptions(GetParam());
  options.unlicensed = true;
  StartWith(options);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", "alice"}, {"password", "s3cret"}})["error"], 32);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", "alice"}, {"password", "nope"}})["error"], 3014);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", ""}, {"password", ""}})["error"], 3014);

  EXPECT_EQ(Admin("unlicensed", {{"on", false}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", "alice"}, {"password", "s3cret"}})["ok"], true);
  EXPECT_EQ(Admin("unlicensed", {{"on", true}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "login"}, {"user", "alice"}, {"password", "s3cret"}})["error"], 32);
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

TEST_P(LoginTest, LogoutEndsTheSessionAndAnUnknownOneIsNoError) {
  std::string session = Login();
  EXPECT_EQ(SdkJson({{"op", "logout"}, {"session", session}})["ok"], true);
  auto after = SdkJson({{"op", "listVms"}, {"session", session}});
  EXPECT_EQ(after["ok"], false);
  EXPECT_EQ(after["error"], 36);
  EXPECT_EQ(SdkJson({{"op", "logout"}, {"session", session}})["ok"], true);
  EXPECT_EQ(SdkJson({{"op", "logout"}, {"session", "no-such-session"}})["ok"], true);
}

TEST_P(LoginTest, EveryOperationButLoginNeedsAKnownSession) {
  for (const char* op : {"listVms", "getVm", "power", "events"}) {
    auto body = SdkJson({{"op", op}, {"session", "0123456789abcdef0123456789abcdef"}, {"moid", "vm-1"},
                         {"action", "on"}, {"since", 0}, {"waitMs", 0}});
    EXPECT_EQ(body["ok"], false) << op;
    EXPECT_EQ(body["error"], 36) << op;
  }
}

TEST_P(LoginTest, DropSessionsMakesTheNextCallOfEveryClientFailWith36) {
  std::string first = Login();
  std::string second = Login();
  auto dropped = Admin("dropSessions");
  EXPECT_EQ(dropped["ok"], true);
  EXPECT_EQ(dropped["dropped"], 2);
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", first}})["error"], 36);
  EXPECT_EQ(SdkJson({{"op", "getVm"}, {"session", second}, {"moid", "vm-1"}})["error"], 36);
  EXPECT_EQ(Admin("state")["sessions"], 0);
  // Logging in again works.
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", Login()}})["ok"], true);
}

}  // namespace
}  // namespace simtest
