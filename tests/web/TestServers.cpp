#include "tests/web/TestServers.h"

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A connection accepted within 20 ms, else INVALID_SOCKET: the caller's loop can check
// for its stop between waits.
SOCKET AcceptWithin20Ms(SOCKET listener) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(listener, &readable);
  timeval wait = {0, 20000};
  if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return INVALID_SOCKET;
  return accept(listener, nullptr, nullptr);
}

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

// Runs an httplib server on 127.0.0.1 on a thread of its own.
class ServerThread {
 public:
  ~ServerThread() { Stop(); }
  bool Start(httplib::Server& server) {
    mServer = &server;
    // One request per connection: a kept-alive connection would hold Stop() for the
    // server's keep-alive time-out.
    server.set_keep_alive_max_count(1);
    mPort = server.bind_to_any_port("127.0.0.1");
    if (mPort <= 0) return false;
    mThread = std::thread([&server] { server.listen_after_bind(); });
    for (int i = 0; i < 500 && !server.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return server.is_running();
  }
  void Stop() {
    if (mServer) mServer->stop();
    if (mThread.joinable()) mThread.join();
    mServer = nullptr;
  }
  int Port() const { return mPort; }

 private:
  httplib::Server* mServer = nullptr;
  std::thread mThread;
  int mPort = 0;
};

}  // namespace

// ---- LocalHttpServer ----

struct LocalHttpServer::Impl {
  httplib::Server server;
  ServerThread thread;
  mutable std::mutex lock;
  std::map<std::string, std::pair<int, std::string>> answers;
  httplib::Headers lastHeaders;
  std::atomic<int> requests{0};
};

LocalHttpServer::LocalHttpServer() : mImpl(std::make_unique<Impl>()) {
  Impl* impl = mImpl.get();
  impl->server.Get(".*", [impl](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard<std::mutex> hold(impl->lock);
    ++impl->requests;
    impl->lastHeaders = request.headers;
    auto found = impl->answers.find(request.path);
    if (found == impl->answers.end()) {
      response.status = 404;
      response.set_content("not here", "text/plain");
      return;
    }
    response.status = found->second.first;
    response.set_content(found->second.second, "text/plain");
  });
}

LocalHttpServer::~LocalHttpServer() { mImpl->thread.Stop(); }

void LocalHttpServer::Serve(const std::string& path, const std::string& body, int status) {
  std::lock_guard<std::mutex> hold(mImpl->lock);
  mImpl->answers[path] = {status, body};
}

bool LocalHttpServer::Start() { return mImpl->thread.Start(mImpl->server); }

int LocalHttpServer::Port() const { return mImpl->thread.Port(); }

std::wstring LocalHttpServer::Url(const std::string& pathAndQuery) const {
  return L"http://127.0.0.1:" + std::to_wstring(Port()) + Widen(pathAndQuery);
}

int LocalHttpServer::RequestCount() const { return mImpl->requests; }

std::string LocalHttpServer::LastHeader(const std::string& name) const {
  std::lock_guard<std::mutex> hold(mImpl->lock);
  auto found = mImpl->lastHeaders.find(name);
  return found == mImpl->lastHeaders.end() ? std::string() : found->second;
}

// ---- ForwardingProxy ----

struct ForwardingProxy::Impl {
  httplib::Server server;
  ServerThread thread;
  std::map<std::string, int> routes;
  mutable std::mutex lock;
  std::string lastTarget;
  std::atomic<int> requests{0};

  void Forward(const httplib::Request& request, httplib::Response& response) {
    ++requests;
    {
      std::lock_guard<std::mutex> hold(lock);
      lastTarget = request.target;
    }
    // Absolute form: http://host[:port]/path?query
    const std::string prefix = "http://";
    if (request.target.compare(0, prefix.size(), prefix) != 0) {
      response.status = 400;
      response.set_content("proxy requests only", "text/plain");
      return;
    }
    size_t slash = request.target.find('/', prefix.size());
    std::string authority = request.target.substr(prefix.size(), slash - prefix.size());
    std::string rest = slash == std::string::npos ? "/" : request.target.substr(slash);
    std::string host = authority.substr(0, authority.find(':'));
    auto route = routes.find(host);
    if (route == routes.end()) {
      response.status = 502;
      response.set_content("unknown host " + host, "text/plain");
      return;
    }
    httplib::Client origin("127.0.0.1", route->second);
    auto answer = origin.Get(rest.c_str());
    if (!answer) {
      response.status = 502;
      response.set_content("origin did not answer", "text/plain");
      return;
    }
    response.status = answer->status;
    response.set_content(answer->body, answer->get_header_value("Content-Type").c_str());
  }
};

ForwardingProxy::ForwardingProxy(std::map<std::string, int> routes) : mImpl(std::make_unique<Impl>()) {
  mImpl->routes = std::move(routes);
  Impl* impl = mImpl.get();
  impl->server.Get(".*", [impl](const httplib::Request& request, httplib::Response& response) {
    impl->Forward(request, response);
  });
}

ForwardingProxy::~ForwardingProxy() { mImpl->thread.Stop(); }

bool ForwardingProxy::Start() { return mImpl->thread.Start(mImpl->server); }

int ForwardingProxy::Port() const { return mImpl->thread.Port(); }

int ForwardingProxy::RequestCount() const { return mImpl->requests; }

std::string ForwardingProxy::LastTarget() const {
  std::lock_guard<std::mutex> hold(mImpl->lock);
  return mImpl->lastTarget;
}

// ---- DroppingServer ----

struct DroppingServer::Impl {
  SOCKET listener = INVALID_SOCKET;
  int port = 0;
  std::atomic<bool> stop{false};
  std::atomic<int> connections{0};
  std::thread thread;

  void Run() {
    while (!stop) {
      SOCKET client = AcceptWithin20Ms(listener);
      if (client == INVALID_SOCKET) continue;
      ++connections;
      linger abort = {1, 0};  // reset, not a graceful close
      setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
      closesocket(client);
    }
  }
};

DroppingServer::DroppingServer() : mImpl(std::make_unique<Impl>()) {}

DroppingServer::~DroppingServer() {
  mImpl->stop = true;
  if (mImpl->thread.joinable()) mImpl->thread.join();
  if (mImpl->listener != INVALID_SOCKET) closesocket(mImpl->listener);
}

bool DroppingServer::Start() {
  mImpl->listener = BindLoopback(&mImpl->port);
  if (mImpl->listener == INVALID_SOCKET || listen(mImpl->listener, 16) != 0) return false;
  mImpl->thread = std::thread([impl = mImpl.get()] { impl->Run(); });
  return true;
}

int DroppingServer::Port() const { return mImpl->port; }

int DroppingServer::ConnectionCount() const { return mImpl->connections; }

// ---- SlowServer ----

struct SlowServer::Impl {
  Kind kind = Kind::kTrickling;
  int bytes = 0;
  unsigned long intervalMs = 0;
  SOCKET listener = INVALID_SOCKET;
  int port = 0;
  std::atomic<bool> stop{false};
  std::thread acceptor;
  std::mutex lock;
  std::vector<std::thread> connections;

  // Waits up to milliseconds; false when the server is being stopped.
  bool Pause(unsigned long milliseconds) {
    for (unsigned long waited = 0; waited < milliseconds; waited += 10) {
      if (stop) return false;
      Sleep(10);
    }
    return !stop;
  }

  void Answer(SOCKET client) {
    char request[4096];
    recv(client, request, sizeof request, 0);
    if (kind == Kind::kTrickling) {
      const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                               std::to_string(bytes) + "\r\nConnection: close\r\n\r\n";
      send(client, head.data(), static_cast<int>(head.size()), 0);
      for (int sent = 0; sent < bytes && Pause(intervalMs); ++sent) send(client, "x", 1, 0);
    } else {
      Pause(intervalMs * bytes);
    }
    closesocket(client);
  }

  void Accept() {
    while (!stop) {
      SOCKET client = AcceptWithin20Ms(listener);
      if (client == INVALID_SOCKET) continue;
      std::lock_guard<std::mutex> hold(lock);
      connections.emplace_back([this, client] { Answer(client); });
    }
  }
};

SlowServer::SlowServer(Kind kind, int bytes, unsigned long intervalMs) : mImpl(std::make_unique<Impl>()) {
  mImpl->kind = kind;
  mImpl->bytes = bytes;
  mImpl->intervalMs = intervalMs;
}

SlowServer::~SlowServer() {
  mImpl->stop = true;
  if (mImpl->acceptor.joinable()) mImpl->acceptor.join();
  for (std::thread& connection : mImpl->connections) connection.join();
  if (mImpl->listener != INVALID_SOCKET) closesocket(mImpl->listener);
}

bool SlowServer::Start() {
  mImpl->listener = BindLoopback(&mImpl->port);
  if (mImpl->listener == INVALID_SOCKET || listen(mImpl->listener, 16) != 0) return false;
  mImpl->acceptor = std::thread([impl = mImpl.get()] { impl->Accept(); });
  return true;
}

std::wstring SlowServer::Url(const std::string& pathAndQuery) const {
  return L"http://127.0.0.1:" + std::to_wstring(mImpl->port) + Widen(pathAndQuery);
}

// ---- UnusedLocalPort ----

int UnusedLocalPort() {
  int port = 0;
  SOCKET probe = BindLoopback(&port);
  closesocket(probe);  // bound but never listening: the port is now free and refuses
  return port;
}
