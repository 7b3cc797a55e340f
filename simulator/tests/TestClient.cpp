#include "simulator/tests/TestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

namespace simtest {
namespace {

void Configure(httplib::Client& client, std::chrono::milliseconds timeout) {
  client.enable_server_certificate_verification(false);
  client.set_connection_timeout(std::chrono::seconds(5));
  client.set_read_timeout(timeout);
  client.set_write_timeout(std::chrono::seconds(10));
}

HttpAnswer Convert(const httplib::Result& result) {
  HttpAnswer answer;
  if (!result) return answer;
  answer.answered = true;
  answer.status = result->status;
  answer.body = result->body;
  return answer;
}

}  // namespace

int ConnectLoopback(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

nlohmann::json HttpAnswer::Json() const {
  auto j = nlohmann::json::parse(body, nullptr, false);
  return j.is_discarded() ? nlohmann::json() : j;
}

HttpAnswer TestClient::Post(const std::string& path, const std::string& body,
                            std::chrono::milliseconds timeout) const {
  httplib::Client client(mBaseUrl);
  Configure(client, timeout);
  return Convert(client.Post(path.c_str(), body, "application/json"));
}

}  // namespace simtest
