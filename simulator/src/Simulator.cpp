#include "simulator/src/Simulator.h"

#include <sys/socket.h>

#include <chrono>
#include <csignal>

#include <httplib.h>

#include "simulator/src/ConnectionCloser.h"
#include "simulator/src/InventoryFile.h"
#include "simulator/src/InventoryGenerator.h"
#include "simulator/src/PromptAck.h"
#include "simulator/src/RequestLog.h"
#include "simulator/src/SelfSignedCert.h"

namespace sim {
namespace {

constexpr int kServiceThreads = 64;  // long polls, held and power requests each keep one busy
constexpr int kAdminThreads = 8;
constexpr size_t kKeepAliveRequests = 1000;
constexpr std::chrono::milliseconds kDrainTime(5000);

void ApplyReply(const Reply& reply, httplib::Response& res) {
  res.status = reply.status;
  res.set_content(reply.body, reply.contentType.c_str());
}

// httplib also sets SO_REUSEPORT, which would let a second simulator share the
// port and split the clients between two different hosts; only reuse TIME_WAIT.
void ReuseAddressOnly(int sock) {
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

int Bind(httplib::Server& server, const std::string& address, int port) {
  if (port == 0) return server.bind_to_any_port(address);
  return server.bind_to_port(address, port) ? port : -1;
}

void StartThread(httplib::Server& server, std::thread* thread) {
  *thread = std::thread([&server] { server.listen_after_bind(); });
  // stop() is ignored until the accept loop runs; wait for it so that an early Stop works.
  while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::string StatusText(int status) {
  switch (status) {
    case 404: return "no such resource";
    case 405: return "method not allowed";
    case 413: return "the request body is larger than 1 MiB";
    default: return "the request could not be processed (HTTP " + std::to_string(status) + ")";
  }
}

}  // namespace

bool LoadConfiguredInventory(const Options& options, std::vector<Vm>* vms, std::string* error) {
  if (!options.inventoryFile.empty()) return LoadInventoryFile(options.inventoryFile, vms, error);
  *vms = GenerateInventory(options.vmCount, options.seed);
  return true;
}

Simulator::Simulator(const Options& options, std::vector<Vm> vms)
    : mOptions(options),
      mModel(std::move(vms)),
      mSessions(options.user, options.password),
      mControls(options.unlicensed, options.latencyMs, options.updateAvailable),
      mPower(mModel, mControls, std::chrono::milliseconds(options.powerDelayMs)),
      mSdk(mModel, mSessions, mControls, mPower, mCounts),
      mInfo(mControls) {}

Simulator::~Simulator() { Stop(); }

bool Simulator::CreateServiceServer(std::string* error) {
  if (mOptions.plainHttp) {
    mServer = std::make_unique<httplib::Server>();
    return true;
  }
  TlsIdentity identity;
  bool ok = mOptions.certFile.empty() ? MakeSelfSignedIdentity(&identity, error)
                                      : LoadIdentity(mOptions.certFile, mOptions.keyFile, &identity, error);
  if (!ok) return false;
  // The TLS context takes its own references; ours go with `identity`.
  auto server = std::make_unique<httplib::SSLServer>(identity.cert.get(), identity.key.get());
  if (!server->is_valid()) {
    *error = "the TLS context could not be set up with this certificate and key";
    return false;
  }
  mCertSha256 = Sha256Fingerprint(identity.cert.get());
  mServer = std::move(server);
  return true;
}

bool Simulator::Start(std::string* error) {
  if (mStarted) {
    *error = "already started";
    return false;
  }
  // A client that hangs up while its answer is written must not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  if (!CreateServiceServer(error)) return false;
  mAdmin = std::make_unique<AdminHandler>(mModel, mSessions, mControls, mCounts, mCertSha256);
  RouteService();

  mPort = Bind(*mServer, mOptions.bindAddress, mOptions.port);
  if (mPort < 0) {
    *error = "cannot listen on " + mOptions.bindAddress + ":" + std::to_string(mOptions.port);
    return false;
  }
  if (mOptions.adminAutoPort || mOptions.adminPort != 0) {
    mAdminServer = std::make_unique<httplib::Server>();
    RouteAdmin();
    mAdminPort = Bind(*mAdminServer, "127.0.0.1", mOptions.adminAutoPort ? 0 : mOptions.adminPort);
    if (mAdminPort < 0) {
      *error = "cannot listen on 127.0.0.1:" + std::to_string(mOptions.adminPort) + " for the admin interface";
      mAdminPort = 0;
      return false;
    }
  }

  StartThread(*mServer, &mServerThread);
  if (mAdminServer) StartThread(*mAdminServer, &mAdminThread);
  mStarted = true;
  LogLine("zandor-sim: %zu VMs, %s on %s:%d, admin port %d%s%s", mModel.Count(), Scheme(),
          mOptions.bindAddress.c_str(), mPort, mAdminPort, mCertSha256.empty() ? "" : ", certificate SHA-256 ",
          mCertSha256.c_str());
  return true;
}

void Simulator::Stop() {
  if (!mStarted || mStopped) return;
  mStopped = true;
  LogLine("zandor-sim: stopping");
  // Release every waiting request first: the servers join their workers when they stop.
  mControls.RequestStop();
  mModel.WakeWaiters();
  mServer->stop();
  if (mAdminServer) mAdminServer->stop();
  // Released requests answer at once; closing the read side before their answer is
  // written would make the server drop it (it then takes the peer for gone).
  if (!mServiceRequests.WaitUntilNone(kDrainTime) || !mAdminRequests.WaitUntilNone(kDrainTime))
    LogLine("zandor-sim: some requests were still being answered after %lld ms", static_cast<long long>(kDrainTime.count()));
  int idle = ShutdownReadsOfAcceptedConnections(mPort) + ShutdownReadsOfAcceptedConnections(mAdminPort);
  if (idle > 0) LogLine("zandor-sim: closing %d open connections", idle);
  if (mServerThread.joinable()) mServerThread.join();
  if (mAdminThread.joinable()) mAdminThread.join();
  LogLine("zandor-sim: stopped");
}

std::string Simulator::StartLine() const {
  std::string address = mOptions.bindAddress;
  if (address == "0.0.0.0" || address == "::" || address == "*") address = "127.0.0.1";
  if (address.find(':') != std::string::npos) address = "[" + address + "]";
  return "listening on " + std::string(Scheme()) + "://" + address + ":" + std::to_string(mPort) + " admin " +
         std::to_string(mAdminPort);
}

void Simulator::RouteService() {
  httplib::Server& server = *mServer;
  server.new_task_queue = [] { return new httplib::ThreadPool(kServiceThreads); };
  server.set_socket_options(ReuseAddressOnly);
  // Answers go out in several small writes (headers, body); with Nagle's algorithm on, the
  // last one waits for the client's delayed ACK, about 40 ms a request. Linux gives the
  // accepted sockets the listening socket's setting.
  server.set_tcp_nodelay(true);
  server.set_payload_max_length(kMaxBodyBytes);
  server.set_keep_alive_max_count(kKeepAliveRequests);
  server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
    BeginRequest();
    if (req.has_header("Content-Length")) AcknowledgePromptly(req.local_port, req.remote_addr, req.remote_port);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  // A request counts as in flight from its handler on, once its body is in: one whose
  // body never comes must not hold up the shutdown.
  server.Post("/sdk", [this](const httplib::Request& req, httplib::Response& res) {
    mServiceRequests.Begin();
    std::string op;
    Reply reply = mSdk.Handle(req.body, &op);
    SetRequestOp(op);
    ApplyReply(reply, res);
    res.set_header("X-Zandor-Sdk", "1");
  });
  server.Get("/sdk", [this](const httplib::Request&, httplib::Response& res) {
    mServiceRequests.Begin();
    ApplyReply(JsonReply(405, {{"ok", false}, {"error", kErrBadArgument}, {"text", "use POST"}}), res);
    res.set_header("X-Zandor-Sdk", "1");
  });
  server.Get("/info", [this](const httplib::Request& req, httplib::Response& res) {
    mServiceRequests.Begin();
    ApplyReply(mInfo.Handle(req.get_param_value("id")), res);
  });
  // Failures that httplib produces itself (oversized body, unknown path) get a body too;
  // those of /sdk in the protocol's JSON form.
  server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    if (req.path == "/sdk") {
      ApplyReply(JsonReply(res.status, {{"ok", false}, {"error", kErrBadArgument}, {"text", StatusText(res.status)}}),
                 res);
      res.set_header("X-Zandor-Sdk", "1");
    } else {
      res.set_content(StatusText(res.status) + "\n", "text/plain");
    }
    return httplib::Server::HandlerResponse::Handled;
  }));
  // The logger runs after the answer was written.
  server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    mServiceRequests.End();
    LogRequest(req.method, req.target, res.status);
  });
}

void Simulator::RouteAdmin() {
  httplib::Server& server = *mAdminServer;
  server.new_task_queue = [] { return new httplib::ThreadPool(kAdminThreads); };
  server.set_socket_options(ReuseAddressOnly);
  server.set_tcp_nodelay(true);  // as on the service port
  server.set_payload_max_length(kMaxBodyBytes);
  server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
    BeginRequest();
    if (req.has_header("Content-Length")) AcknowledgePromptly(req.local_port, req.remote_addr, req.remote_port);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.Post(R"(/admin/([A-Za-z]+))", [this](const httplib::Request& req, httplib::Response& res) {
    mAdminRequests.Begin();
    SetRequestOp(req.matches[1]);
    ApplyReply(mAdmin->Handle(req.matches[1], req.body), res);
  });
  server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    ApplyReply(JsonReply(res.status, {{"ok", false}, {"text", StatusText(res.status)}}), res);
    return httplib::Server::HandlerResponse::Handled;
  }));
  server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    mAdminRequests.End();
    LogRequest(req.method, req.target, res.status);
  });
}

}  // namespace sim
