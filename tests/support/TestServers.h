// A server on 127.0.0.1 on threads of the test process, for tests of code that fetches over
// HTTP. It answers every connection in one way: with the documents given to Serve (other
// paths get 404), also to requests sent to it as to a proxy (absolute targets); by dropping
// the connection at once; by trickling a 200 answer of `bytes` bytes, one per `intervalMs`;
// or by reading the request and answering nothing for as long. Then it hangs up.
#pragma once

#include <memory>
#include <string>

class LocalHttpServer {
 public:
  enum class Kind { kDocuments, kDropping, kTrickling, kSilent };
  explicit LocalHttpServer(Kind kind = Kind::kDocuments, int bytes = 0, unsigned long intervalMs = 0);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // May be called while running; the query is not part of the path.
  void Serve(const std::string& path, const std::string& body, int status = 200);
  bool Start();
  int Port() const;
  std::wstring Url(const std::string& pathAndQuery) const;
  // Requests answered (connections, when dropping).
  int RequestCount() const;
  // A header of the most recent request (any letter case), empty when absent.
  std::string LastHeader(const std::string& name) const;
  // The most recent request's target as sent ("http://host/path?query" through a proxy).
  std::string LastTarget() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// A port on 127.0.0.1 that nothing listens on (connections are refused).
int UnusedLocalPort();
