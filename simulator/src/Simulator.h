#pragma once
// The whole simulated server: the model, the service port (/sdk and /info) and
// the admin port, each served by its own thread pool.

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "simulator/src/AdminHandler.h"
#include "simulator/src/HostModel.h"
#include "simulator/src/InFlightRequests.h"
#include "simulator/src/InfoHandler.h"
#include "simulator/src/Options.h"
#include "simulator/src/PowerEngine.h"
#include "simulator/src/RuntimeControls.h"
#include "simulator/src/SdkHandler.h"
#include "simulator/src/Sessions.h"

namespace httplib {
class Server;
}

namespace sim {

// The VMs that the options ask for: generated (--vms, --seed) or read (--inventory).
bool LoadConfiguredInventory(const Options& options, std::vector<Vm>* vms, std::string* error);

class Simulator {
 public:
  static constexpr size_t kMaxBodyBytes = 1024 * 1024;

  Simulator(const Options& options, std::vector<Vm> vms);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Binds both ports and starts serving; false with a reason when a port or the
  // TLS identity cannot be set up.
  bool Start(std::string* error);
  // Ends held and waiting requests, stops both servers and joins their threads. Idempotent.
  void Stop();

  int Port() const { return mPort; }
  int AdminPort() const { return mAdminPort; }  // 0 when off
  const char* Scheme() const { return mOptions.plainHttp ? "http" : "https"; }
  // "listening on <scheme>://<address>:<port> admin <port>"
  std::string StartLine() const;
  const std::string& CertSha256() const { return mCertSha256; }

 private:
  bool CreateServiceServer(std::string* error);
  void RouteService();
  void RouteAdmin();

  Options mOptions;
  HostModel mModel;
  SessionStore mSessions;
  RuntimeControls mControls;
  PowerEngine mPower;
  OperationCounts mCounts;
  SdkHandler mSdk;
  InfoHandler mInfo;
  std::unique_ptr<AdminHandler> mAdmin;
  std::string mCertSha256;

  InFlightRequests mServiceRequests;
  InFlightRequests mAdminRequests;
  std::unique_ptr<httplib::Server> mServer;
  std::unique_ptr<httplib::Server> mAdminServer;
  std::thread mServerThread;
  std::thread mAdminThread;
  int mPort = 0;
  int mAdminPort = 0;
  bool mStarted = false;
  bool mStopped = false;
};

}  // namespace sim
