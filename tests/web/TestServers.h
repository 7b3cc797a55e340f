// Servers on 127.0.0.1 that run on threads of the test process, for tests of code that
// fetches over HTTP: an origin server, a forwarding proxy, and a listener that drops every
// connection.
#pragma once

#include <map>
#include <memory>
#include <string>

class LocalHttpServer {
 public:
  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // Answers GET requests for path (query ignored) with these bytes and status. Other paths
  // get 404. May be called while running.
  void Serve(const std::string& path, const std::string& body, int status = 200);
  bool Start();
  int Port() const;
  std::wstring Url(const std::string& pathAndQuery) const;
  int RequestCount() const;
  // A header of the most recent request, empty when absent.
  std::string LastHeader(const std::string& name) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// An HTTP proxy with a name table of its own: it forwards absolute-form GET requests for
// the hosts in `routes` to 127.0.0.1:<port> and answers 502 for any other host.
class ForwardingProxy {
 public:
  explicit ForwardingProxy(std::map<std::string, int> routes);
  ~ForwardingProxy();
  ForwardingProxy(const ForwardingProxy&) = delete;
  ForwardingProxy& operator=(const ForwardingProxy&) = delete;

  bool Start();
  int Port() const;
  int RequestCount() const;
  std::string LastTarget() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// Accepts TCP connections and closes them at once without answering.
class DroppingServer {
 public:
  DroppingServer();
  ~DroppingServer();
  DroppingServer(const DroppingServer&) = delete;
  DroppingServer& operator=(const DroppingServer&) = delete;

  bool Start();
  int Port() const;
  int ConnectionCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// Answers every connection slowly, on a thread of its own per connection. Trickling, it
// sends a 200 answer whose body of `bytes` bytes comes one byte per `intervalMs`; silent,
// it reads the request and answers nothing for as long. Then, or when it is destroyed, it
// hangs up.
class SlowServer {
 public:
  enum class Kind { kTrickling, kSilent };
  SlowServer(Kind kind, int bytes, unsigned long intervalMs);
  ~SlowServer();
  SlowServer(const SlowServer&) = delete;
  SlowServer& operator=(const SlowServer&) = delete;

  bool Start();
  std::wstring Url(const std::string& pathAndQuery) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// A port on 127.0.0.1 that nothing listens on (connections are refused).
int UnusedLocalPort();
