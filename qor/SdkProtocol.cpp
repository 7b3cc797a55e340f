#include "qor/SdkProtocol.h"

#include "qor/Trace.h"
#include "qor/Wipe.h"

namespace qor {

bool BuildRequest(const std::string& op, const nlohmann::json& arguments, std::string* body) {
  nlohmann::json request = arguments.is_object() ? arguments : nlohmann::json::object();
  request["v"] = kProtocolVersion;
  request["op"] = op;
  try {
    *body = request.dump();
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
  return true;
}

SdkReply InterpretReply(const HttpReply& http) {
  SdkReply reply;
  if (http.error != QOR_OK) {
    reply.error = http.error;
    reply.systemError = http.systemError;
    return reply;
  }
  if (!http.hasSdkHeader) {
    reply.error = QOR_E_NOT_A_SERVER;
    reply.text = "the answer has no X-Zandor-Sdk header";
    return reply;
  }
  if (http.sdkVersion != std::to_string(kProtocolVersion)) {
    reply.error = QOR_E_PROTOCOL_VERSION;
    reply.text = "the server speaks protocol version '" + http.sdkVersion + "'";
    return reply;
  }
  nlohmann::json answer = nlohmann::json::parse(http.body, nullptr, false);
  if (answer.is_discarded() || !answer.is_object()) {
    reply.error = QOR_E_NOT_A_SERVER;
    reply.text = "the answer is not a JSON object";
    return reply;
  }
  if (http.status >= 500) {
    reply.error = QOR_E_SERVER_ERROR;
    reply.text = "HTTP status " + std::to_string(http.status);
    return reply;
  }
  auto ok = answer.find("ok");
  if (http.status == 200 && ok != answer.end() && ok->is_boolean() && ok->get<bool>()) {
    reply.result = std::move(answer);
    return reply;
  }
  auto code = answer.find("error");
  auto text = answer.find("text");
  if (text != answer.end() && text->is_string()) reply.text = text->get<std::string>();
  if (code != answer.end() && code->is_number_unsigned() && code->get<uint64_t>() != 0) {
    reply.error = code->get<uint64_t>();
  } else {
    // A failure without a usable code, or an unexpected status.
    reply.error = QOR_E_SERVER_ERROR;
    if (reply.text.empty()) reply.text = "HTTP status " + std::to_string(http.status) + " without an error code";
  }
  return reply;
}

SdkReply CallSdk(HttpTransport& transport, const std::string& op, const nlohmann::json& arguments,
                 uint32_t answerTimeoutMs) {
  std::string body;
  if (!BuildRequest(op, arguments, &body)) {
    Trace("CallSdk: the arguments of '%s' are not valid UTF-8", op.c_str());
    SdkReply reply;
    reply.error = QOR_E_INVALID_ARG;
    return reply;
  }
  SdkReply reply = InterpretReply(transport.Post("/sdk", body, answerTimeoutMs));
  WipeString(body);  // it may have held a password
  if (reply.error != QOR_OK) {
    Trace("CallSdk: '%s' on %s failed with %llu%s%s", op.c_str(), transport.GetEndpoint().hostUtf8.c_str(),
          static_cast<unsigned long long>(reply.error), reply.text.empty() ? "" : ": ", reply.text.c_str());
  }
  return reply;
}

}  // namespace qor
