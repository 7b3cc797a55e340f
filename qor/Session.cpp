#include "qor/Session.h"

#include "qor/Timeouts.h"
#include "qor/Trace.h"
#include "qor/WinHttpErrors.h"
#include "qor/Wipe.h"
#include "qor/WorkerPool.h"

namespace qor {

QorError Session::Open(const Endpoint& endpoint, const std::string& user, const std::string& password,
                       std::shared_ptr<Session>* out) {
  QorError error = QOR_OK;
  std::shared_ptr<HttpTransport> transport = HttpTransport::Create(endpoint, &error);
  if (!transport) return error;
  nlohmann::json arguments = {{"user", user}, {"password", password}};
  SdkReply reply = CallSdk(*transport, "login", arguments, CurrentTimeouts().requestMs);
  WipeString(arguments["password"].get_ref<std::string&>());
  if (reply.error != QOR_OK) {
    if (IsDroppedWithoutAnswer(reply.systemError)) {
      Trace("Session::Open: '%s' dropped the connection without answering the login", endpoint.hostUtf8.c_str());
      return QOR_E_NOT_A_SERVER;
    }
    return reply.error;
  }
  auto token = reply.result.find("session");
  if (token == reply.result.end() || !token->is_string() || token->get<std::string>().empty()) {
    Trace("Session::Open: the login answer of '%s' has no session token", endpoint.hostUtf8.c_str());
    return QOR_E_NOT_A_SERVER;
  }
  *out = std::make_shared<Session>(std::move(transport), token->get<std::string>());
  return QOR_OK;
}

Session::Session(std::shared_ptr<HttpTransport> transport, std::string token)
    : mTransport(std::move(transport)), mToken(std::move(token)) {}

SdkReply Session::Call(const std::string& op, nlohmann::json arguments, uint32_t answerTimeoutMs) {
  SdkReply reply;
  {
    std::lock_guard<std::mutex> hold(mLock);
    if (mState != QOR_OK) {
      reply.error = mState;
      return reply;
    }
    arguments["session"] = mToken;
  }
  reply = CallSdk(*mTransport, op, arguments, answerTimeoutMs);
  if (reply.error == QOR_E_CONNECTION_LOST) {
    std::lock_guard<std::mutex> hold(mLock);
    if (mState == QOR_OK) {
      Trace("Session: the server '%s' no longer knows the session; it is lost", HostName().c_str());
      mState = QOR_E_CONNECTION_LOST;
    }
  }
  return reply;
}

QorError Session::State() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mState;
}

void Session::Close() {
  std::string token;
  {
    std::lock_guard<std::mutex> hold(mLock);
    bool wasActive = mState == QOR_OK;
    mState = QOR_E_NOT_CONNECTED;
    if (!wasActive) return;  // a lost session has nothing left to end on the server
    token = mToken;
  }
  // The logout runs on a worker: the caller (often the UI thread) must not wait for a
  // server that may not answer.
  std::shared_ptr<HttpTransport> transport = mTransport;
  const std::string host = HostName();
  WorkerPool::Instance().Post(
      [transport, token] {
        SdkReply reply = CallSdk(*transport, "logout", {{"session", token}}, CurrentTimeouts().logoutMs);
        if (reply.error != QOR_OK) {
          Trace("Session::Close: logout from '%s' failed with %llu; the session is ended here anyway",
                transport->GetEndpoint().hostUtf8.c_str(), static_cast<unsigned long long>(reply.error));
        }
      },
      [host] { Trace("Session::Close: the logout from '%s' could not be sent", host.c_str()); });
}

}  // namespace qor
