// One server address over WinHTTP: POST a body, get status, the protocol header and the
// answer. Synchronous; any number of threads may post at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "backend/QorApi.h"
#include "qor/ServiceUrl.h"

namespace qor {

struct HttpReply {
  QorError error = QOR_OK;   // transport failure, already mapped; 0 when an answer came
  uint32_t systemError = 0;  // WinHTTP's code behind error, for log lines
  uint32_t status = 0;
  bool hasSdkHeader = false;
  std::string sdkVersion;    // value of X-Zandor-Sdk
  std::string body;
};

class HttpTransport {
 public:
  // error: QOR_E_OUT_OF_MEMORY or QOR_E_NETWORK when WinHTTP cannot be set up.
  static std::shared_ptr<HttpTransport> Create(const Endpoint& endpoint, QorError* error);
  ~HttpTransport();
  HttpTransport(const HttpTransport&) = delete;
  HttpTransport& operator=(const HttpTransport&) = delete;

  // answerTimeoutMs bounds the TLS handshake, the wait for the answer and each read.
  HttpReply Post(const char* path, const std::string& body, uint32_t answerTimeoutMs);
  const Endpoint& GetEndpoint() const { return mEndpoint; }

 private:
  HttpTransport(const Endpoint& endpoint, void* connection);
  Endpoint mEndpoint;
  void* mConnection;  // HINTERNET of WinHttpConnect
};

}  // namespace qor
