// Malformed /sdk requests are answered with 400 (or 30028 for another version)
// and never stop the server.

#include "simulator/tests/SimFixture.h"

namespace simtest {
namespace {

using nlohmann::json;

class BadRequestTest : public SimFixture {
 protected:
  HttpAnswer Raw(const std::string& body) { return TestClient(BaseUrl()).Post("/sdk", body); }

  void ExpectMalformed(const std::string& body, const std::string& textPart) {
    auto answer = Raw(body);
    ASSERT_TRUE(answer.answered) << body;
    EXPECT_EQ(answer.status, 400) << body;
    EXPECT_EQ(answer.Header("X-Zandor-Sdk"), "1") << body;
    auto j = answer.Json();
    EXPECT_EQ(j["ok"], false) << body;
    EXPECT_EQ(j["error"], 3) << body;
    ASSERT_TRUE(j["text"].is_string()) << body;
    EXPECT_NE(j["text"].get<std::string>().find(textPart), std::string::npos) << j["text"] << " for " << body;
  }
};
SIM_BOTH_SCHEMES(BadRequestTest);

TEST_P(BadRequestTest, BodiesThatAreNotARequestObjectGet400) {
  ExpectMalformed("", "not valid JSON");
  ExpectMalformed("{\"v\":1,", "not valid JSON");
  ExpectMalformed("login", "not valid JSON");
  ExpectMalformed("[{\"v\":1,\"op\":\"login\"}]", "must be a JSON object");
  ExpectMalformed("42", "must be a JSON object");
  ExpectMalformed("\"text\"", "must be a JSON object");
  ExpectMalformed("null", "must be a JSON object");
  ExpectMalformed(std::string("{\"v\":1,\"op\":\"lo\xff\"}"), "not valid JSON");  // invalid UTF-8
}

TEST_P(BadRequestTest, MissingOrMistypedFieldsAndUnknownOpsGet400) {
  const std::string session = Login();
  ExpectMalformed(R"({"op":"login","user":"alice","password":"s3cret"})", "'v'");
  ExpectMalformed(R"({"v":"1","op":"login","user":"alice","password":"s3cret"})", "'v'");
  ExpectMalformed(R"({"v":1.0,"op":"login","user":"alice","password":"s3cret"})", "'v'");
  ExpectMalformed(R"({"v":1})", "'op'");
  ExpectMalformed(R"({"v":1,"op":7})", "'op'");
  ExpectMalformed(R"({"v":1,"op":"reboot"})", "unknown op");
  ExpectMalformed(R"({"v":1,"op":"login","user":"alice"})", "'password'");
  ExpectMalformed(R"({"v":1,"op":"login","user":["alice"],"password":"s3cret"})", "'user'");
  ExpectMalformed(R"({"v":1,"op":"listVms"})", "'session'");
  ExpectMalformed(R"({"v":1,"op":"listVms","session":null})", "'session'");
  ExpectMalformed(R"({"v":1,"op":"events","session":{}})", "'session'");
  ExpectMalformed(R"({"v":1,"op":"power","session":")" + session + R"(","moid":1,"action":"on"})", "'moid'");
  ExpectMalformed(R"({"v":1,"op":"power","session":")" + session + R"(","moid":"vm-1"})", "'action'");
}

TEST_P(BadRequestTest, AnotherProtocolVersionGets30028) {
  for (const char* body : {R"({"v":2,"op":"login","user":"alice","password":"s3cret"})",
                           R"({"v":0,"op":"login"})", R"({"v":-1,"op":"somethingNew"})"}) {
    auto answer = Raw(body);
    EXPECT_EQ(answer.status, 200) << body;
    EXPECT_EQ(answer.Header("X-Zandor-Sdk"), "1");
    EXPECT_EQ(answer.Json()["ok"], false) << body;
    EXPECT_EQ(answer.Json()["error"], 30028) << body;
  }
}

TEST_P(BadRequestTest, ABodyOverOneMebibyteGets413AndTheServerKeepsServing) {
  std::string huge = R"({"v":1,"op":"login","user":")" + std::string(1024 * 1024, 'a') + R"(","password":"x"})";
  auto answer = Raw(huge);
  ASSERT_TRUE(answer.answered);
  EXPECT_EQ(answer.status, 413);
  EXPECT_EQ(answer.Header("X-Zandor-Sdk"), "1");
  EXPECT_EQ(answer.Json()["error"], 3);
  // Just under the limit is parsed (and refused for its credentials).
  std::string large = R"({"v":1,"op":"login","user":")" + std::string(1000 * 1000, 'a') + R"(","password":"x"})";
  EXPECT_EQ(Raw(large).Json()["error"], 3014);
  // The server keeps serving after all of them.
  EXPECT_EQ(SdkJson({{"op", "listVms"}, {"session", Login()}})["vms"].size(), 5u);
}

TEST_P(BadRequestTest, OtherMethodsAndPathsAreRefusedWithABody) {
  auto get = TestClient(BaseUrl()).Get("/sdk");
  EXPECT_EQ(get.status, 405);
  EXPECT_EQ(get.Header("X-Zandor-Sdk"), "1");
  EXPECT_EQ(get.Json()["ok"], false);
  auto elsewhere = TestClient(BaseUrl()).Post("/api", "{}");
  EXPECT_EQ(elsewhere.status, 404);
  EXPECT_TRUE(elsewhere.Header("X-Zandor-Sdk").empty());
}

}  // namespace
}  // namespace simtest
