#pragma once
// A small HTTP(S) client for the simulator tests; httplib stays inside TestClient.cpp.

#include <chrono>
#include <string>

#include <nlohmann/json.hpp>

namespace simtest {

struct HttpAnswer {
  bool answered = false;  // false: connection failed or timed out
  int status = 0;
  std::string body;
  // The body as JSON (null when it is not JSON).
  nlohmann::json Json() const;
};

// A plain TCP connection to 127.0.0.1:port, for tests that write requests by hand; -1 on
// failure. The caller closes it.
int ConnectLoopback(int port);

class TestClient {
 public:
  // baseUrl: "https://127.0.0.1:1234" or "http://..."; certificates are not checked.
  explicit TestClient(std::string baseUrl) : mBaseUrl(std::move(baseUrl)) {}

  HttpAnswer Post(const std::string& path, const std::string& body,
                  std::chrono::milliseconds timeout = std::chrono::seconds(40)) const;

 private:
  std::string mBaseUrl;
};

}  // namespace simtest
