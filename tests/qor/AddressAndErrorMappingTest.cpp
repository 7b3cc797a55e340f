// Service URLs, WinHTTP error mapping, the answer rules of the protocol and time-outs.
#include <gtest/gtest.h>
#include <windows.h>
#include <winhttp.h>

#include "qor/SdkProtocol.h"
#include "qor/ServiceUrl.h"
#include "qor/Timeouts.h"
#include "qor/WinHttpErrors.h"

using namespace qor;

TEST(QorServiceUrl, AcceptsBothSchemesWithDefaultAndGivenPorts) {
  Endpoint e;
  ASSERT_EQ(ParseServiceUrl("https://srv01/sdk", 0, &e), QOR_OK);
  EXPECT_EQ(e.host, L"srv01");
  EXPECT_TRUE(e.secure);
  EXPECT_EQ(e.port, 443);
  ASSERT_EQ(ParseServiceUrl("HTTP://10.0.0.5/sdk", 0, &e), QOR_OK);
  EXPECT_FALSE(e.secure);
  EXPECT_EQ(e.port, 80);
  ASSERT_EQ(ParseServiceUrl("https://127.0.0.1/sdk", 8443, &e), QOR_OK);
  EXPECT_EQ(e.port, 8443);
  ASSERT_EQ(ParseServiceUrl("https://[::1]/sdk", 0, &e), QOR_OK);
  EXPECT_EQ(e.host, L"::1");
  ASSERT_EQ(ParseServiceUrl("https://h\xC3\xB6st.lan/sdk", 0, &e), QOR_OK);
  EXPECT_EQ(e.host, L"h\u00F6st.lan");
}

TEST(QorServiceUrl, RefusesEverythingElse) {
  Endpoint e;
  for (const char* url : {"", "srv01", "srv01/sdk", "ftp://srv01/sdk", "https:///sdk", "https://srv01",
                          "https://srv01/", "https://srv01/sdk/", "https://srv01/api", "https://srv01:443/sdk",
                          "https://user@srv01/sdk", "https://srv 01/sdk", "https://[zz]/sdk", "https://[::1/sdk",
                          "https://-srv/sdk", "https://srv\xFF/sdk"}) {
    EXPECT_EQ(ParseServiceUrl(url, 0, &e), QOR_E_BAD_SERVICE_URL) << url;
  }
  EXPECT_EQ(ParseServiceUrl(nullptr, 0, &e), QOR_E_BAD_SERVICE_URL);
  EXPECT_EQ(ParseServiceUrl("https://srv01/sdk", -1, &e), QOR_E_INVALID_ARG);
  EXPECT_EQ(ParseServiceUrl("https://srv01/sdk", 65536, &e), QOR_E_INVALID_ARG);
}

TEST(QorWinHttpErrorMapping, GivesTheDocumentedCodesAndTimeOutsForFailuresAtTheLimit) {
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_NAME_NOT_RESOLVED, 5, 30000), QOR_E_HOST_NOT_FOUND);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_CANNOT_CONNECT, 5, 10000), QOR_E_CONNECTION_REFUSED);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_TIMEOUT, 5, 30000), QOR_E_TIMED_OUT);
  EXPECT_EQ(MapWinHttpError(WSAETIMEDOUT, 30000, 30000), QOR_E_TIMED_OUT);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_SECURE_CHANNEL_ERROR, 40, 30000), QOR_E_TLS_FAILURE);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_SECURE_FAILURE, 40, 30000), QOR_E_TLS_FAILURE);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_INVALID_SERVER_RESPONSE, 5, 30000), QOR_E_NOT_A_SERVER);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_UNRECOGNIZED_SCHEME, 0, 0), QOR_E_BAD_SERVICE_URL);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_CONNECTION_ERROR, 5, 30000), QOR_E_NETWORK);
  EXPECT_EQ(MapWinHttpError(12345, 5, 30000), QOR_E_NETWORK);
  // Failures that ran into the limit are time-outs: Wine ends a handshake with a silent
  // peer with a TLS error once the limit has passed.
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_SECURE_CHANNEL_ERROR, 3015, 3000), QOR_E_TIMED_OUT);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_SECURE_CHANNEL_ERROR, 2700, 3000), QOR_E_TIMED_OUT);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_SECURE_CHANNEL_ERROR, 2600, 3000), QOR_E_TLS_FAILURE);
  EXPECT_EQ(MapWinHttpError(ERROR_WINHTTP_CANNOT_CONNECT, 10000, 10000), QOR_E_TIMED_OUT);
  EXPECT_TRUE(IsDroppedWithoutAnswer(WSAECONNRESET));
  EXPECT_TRUE(IsDroppedWithoutAnswer(ERROR_WINHTTP_CONNECTION_ERROR));
  EXPECT_FALSE(IsDroppedWithoutAnswer(ERROR_WINHTTP_TIMEOUT));
}

namespace {
HttpReply Answer(uint32_t status, const std::string& body, const char* version = "1") {
  HttpReply reply;
  reply.status = status;
  reply.hasSdkHeader = version != nullptr;
  reply.sdkVersion = version ? version : "";
  reply.body = body;
  return reply;
}
}  // namespace

TEST(QorSdkAnswers, StrangeAnswersAreRecognised) {
  EXPECT_EQ(InterpretReply(Answer(200, R"({"ok":true})", nullptr)).error, QOR_E_NOT_A_SERVER);
  EXPECT_EQ(InterpretReply(Answer(200, "<html>hello</html>")).error, QOR_E_NOT_A_SERVER);
  EXPECT_EQ(InterpretReply(Answer(200, "[1,2]")).error, QOR_E_NOT_A_SERVER);
  EXPECT_EQ(InterpretReply(Answer(200, R"({"ok":true})", "2")).error, QOR_E_PROTOCOL_VERSION);
  EXPECT_EQ(InterpretReply(Answer(500, R"({"ok":false,"error":3})")).error, QOR_E_SERVER_ERROR);
  EXPECT_EQ(InterpretReply(Answer(200, R"({"ok":false})")).error, QOR_E_SERVER_ERROR);
  EXPECT_EQ(InterpretReply(Answer(200, R"({"ok":false,"error":-5})")).error, QOR_E_SERVER_ERROR);
  EXPECT_EQ(InterpretReply(Answer(404, R"({"ok":true})")).error, QOR_E_SERVER_ERROR);
  HttpReply transport;
  transport.error = QOR_E_CONNECTION_REFUSED;
  EXPECT_EQ(InterpretReply(transport).error, QOR_E_CONNECTION_REFUSED);
}

// (What a request carries, the simulator checks in the contract tests.)
TEST(QorSdkAnswers, RequestsRefuseInvalidText) {
  std::string body;
  EXPECT_FALSE(BuildRequest("login", {{"password", std::string("\xFF\xFE")}}, &body));
}

TEST(QorTimeouts, ScaleKeepsAFloor) {
  Timeouts base = DefaultTimeouts();
  Timeouts fast = ScaleTimeouts(base, 0.1);
  EXPECT_EQ(fast.requestMs, 3000u);
  EXPECT_EQ(fast.eventWaitMs, 1000u);
  EXPECT_EQ(ScaleTimeouts(base, 0.0001).connectMs, 50u);
}
