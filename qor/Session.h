// A logged-in session with one server: its token and whether it still holds. Once the
// server reported the session unknown (error 36) every further call fails with 36
// without going to the network; after Close every call fails with QOR_E_NOT_CONNECTED.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "qor/HttpTransport.h"
#include "qor/SdkProtocol.h"

namespace qor {

class Session {
 public:
  // Connects and logs in. The user name and password are only used for this call.
  static QorError Open(const Endpoint& endpoint, const std::string& user, const std::string& password,
                       std::shared_ptr<Session>* out);

  Session(std::shared_ptr<HttpTransport> transport, std::string token);

  // A call with the session token added to the arguments.
  SdkReply Call(const std::string& op, nlohmann::json arguments, uint32_t answerTimeoutMs);
  // QOR_OK while usable, else QOR_E_CONNECTION_LOST or QOR_E_NOT_CONNECTED.
  QorError State() const;
  // Ends the session locally at once; the logout on the server follows on a worker
  // (bounded by the logout time-out). Later calls fail with QOR_E_NOT_CONNECTED.
  void Close();
  const std::string& HostName() const { return mTransport->GetEndpoint().hostUtf8; }

 private:
  std::shared_ptr<HttpTransport> mTransport;
  mutable std::mutex mLock;
  std::string mToken;
  QorError mState = QOR_OK;
};

}  // namespace qor
