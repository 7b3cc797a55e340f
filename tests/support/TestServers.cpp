#include "tests/support/TestServers.h"

#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

namespace {

// A TCP socket bound to a port of 127.0.0.1 that the system picks; the port in *port.
SOCKET BindLoopback(int* port) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET bound = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (bound == INVALID_SOCKET) return bound;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  if (bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(bound, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    closesocket(bound);
    return INVALID_SOCKET;
  }
  *port = ntohs(address.sin_port);
  return bound;
}

void SendAll(SOCKET client, const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    const int n = send(client, bytes.data() + sent, static_cast<int>(std::min<size_t>(bytes.size() - sent, 65536)), 0);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

struct LocalHttpServer::Impl {
  Kind kind = Kind::kDocuments;
  int bytes = 0;
  unsigned long intervalMs = 0;
  SOCKET listener = INVALID_SOCKET;
  int port = 0;
  std::atomic<bool> stop{false};
  std::atomic<int> requests{0};
  std::thread thread;
  mutable std::mutex lock;
  std::map<std::string, std::pair<int, std::string>> documents;
  std::string lastHead;  // request line and headers

  // Waits up to milliseconds; false when the server is being stopped.
  bool Pause(unsigned long milliseconds) {
    for (unsigned long waited = 0; waited < milliseconds; waited += 10) {
      if (stop) return false;
      Sleep(10);
    }
    return !stop;
  }

  void Answer(SOCKET client) {
    std::string head;
    char chunk[4096];
    int got = 0;
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 &&
           (got = recv(client, chunk, sizeof chunk, 0)) > 0) {
      head.append(chunk, static_cast<size_t>(got));
    }
    ++requests;
    if (kind == Kind::kTrickling) {
      SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(bytes) +
                          "\r\nConnection: close\r\n\r\n");
      for (int sent = 0; sent < bytes && Pause(intervalMs); ++sent) send(client, "x", 1, 0);
      return;
    }
    if (kind == Kind::kSilent) {
      Pause(intervalMs * bytes);
      return;
    }
    // "GET <target> HTTP/1.1": the path is the target without scheme, host and query.
    const size_t from = head.find(' ') + 1, to = head.find(' ', from);
    std::string path = head.substr(from, to == std::string::npos ? 0 : to - from);
    if (path.compare(0, 7, "http://") == 0) path = path.substr(std::min(path.find('/', 7), path.size()));
    path = path.substr(0, path.find('?'));
    int status = 404;
    std::string body = "not here";
    {
      std::lock_guard<std::mutex> hold(lock);
      lastHead = head;
      auto found = documents.find(path);
      if (found != documents.end()) std::tie(status, body) = found->second;
    }
    SendAll(client, "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Failed") +
                        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
    shutdown(client, SD_SEND);
  }

  void Run() {
    while (!stop) {
      // A connection within 20 ms, or another look at the stop.
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(listener, &readable);
      timeval wait = {0, 20000};
      if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
      SOCKET client = accept(listener, nullptr, nullptr);
      if (client == INVALID_SOCKET) continue;
      if (kind == Kind::kDropping) {
        ++requests;
        linger abort = {1, 0};  // reset, not a graceful close
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
      } else {
        Answer(client);
      }
      closesocket(client);
    }
  }
};

LocalHttpServer::LocalHttpServer(Kind kind, int bytes, unsigned long intervalMs) : mImpl(std::make_unique<Impl>()) {
  mImpl->kind = kind;
  mImpl->bytes = bytes;
  mImpl->intervalMs = intervalMs;
}

LocalHttpServer::~LocalHttpServer() {
  mImpl->stop = true;
  if (mImpl->thread.joinable()) mImpl->thread.join();
  if (mImpl->listener != INVALID_SOCKET) closesocket(mImpl->listener);
}

void LocalHttpServer::Serve(const std::string& path, const std::string& body, int status) {
  std::lock_guard<std::mutex> hold(mImpl->lock);
  mImpl->documents[path] = {status, body};
}

bool LocalHttpServer::Start() {
  mImpl->listener = BindLoopback(&mImpl->port);
  if (mImpl->listener == INVALID_SOCKET || listen(mImpl->listener, 16) != 0) return false;
  mImpl->thread = std::thread([impl = mImpl.get()] { impl->Run(); });
  return true;
}

int LocalHttpServer::Port() const { return mImpl->port; }

std::wstring LocalHttpServer::Url(const std::string& pathAndQuery) const {
  return L"http://127.0.0.1:" + std::to_wstring(mImpl->port) + std::wstring(pathAndQuery.begin(), pathAndQuery.end());
}

int LocalHttpServer::RequestCount() const { return mImpl->requests; }

std::string LocalHttpServer::LastHeader(const std::string& name) const {
  std::lock_guard<std::mutex> hold(mImpl->lock);
  for (size_t at = mImpl->lastHead.find("\r\n"); at != std::string::npos; at = mImpl->lastHead.find("\r\n", at + 2)) {
    const size_t colon = mImpl->lastHead.find(':', at + 2);
    if (colon != std::string::npos && colon - at - 2 == name.size() &&
        _strnicmp(mImpl->lastHead.c_str() + at + 2, name.c_str(), name.size()) == 0) {
      const size_t value = mImpl->lastHead.find_first_not_of(' ', colon + 1);
      return mImpl->lastHead.substr(value, mImpl->lastHead.find("\r\n", value) - value);
    }
  }
  return std::string();
}

std::string LocalHttpServer::LastTarget() const {
  std::lock_guard<std::mutex> hold(mImpl->lock);
  const size_t from = mImpl->lastHead.find(' ') + 1;
  return mImpl->lastHead.substr(from, mImpl->lastHead.find(' ', from) - from);
}

int UnusedLocalPort() {
  int port = 0;
  SOCKET probe = BindLoopback(&port);
  closesocket(probe);  // bound but never listening: the port is now free and refuses
  return port;
}
