// The JSON request/answer rules of the server's /sdk service (simulator/PROTOCOL.md).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "backend/QorApi.h"
#include "qor/HttpTransport.h"

namespace qor {

constexpr int kProtocolVersion = 1;

struct SdkReply {
  QorError error = QOR_OK;
  nlohmann::json result;  // the answer object when error is 0
  std::string text;       // the server's message when it failed the request
  uint32_t systemError = 0;  // WinHTTP's code when the transport failed
};

// Serialises one request: {"v":1,"op":op,...arguments}. False when an argument is not
// valid UTF-8 (such text cannot travel in JSON).
bool BuildRequest(const std::string& op, const nlohmann::json& arguments, std::string* body);

// Turns an HTTP answer into a result or a library error code.
SdkReply InterpretReply(const HttpReply& http);

// BuildRequest, post to /sdk, InterpretReply; every failure gets a log line.
SdkReply CallSdk(HttpTransport& transport, const std::string& op, const nlohmann::json& arguments,
                 uint32_t answerTimeoutMs);

}  // namespace qor
