// Runs the native server simulator (zandor-sim, built in the native tree) from a Win32
// test under Wine, for tests of anything that talks to a server.
//
// How it works, as measured with Wine 8: CreateProcessW does start a Linux program given
// by its Windows path (Z:\...), but the child gets neither the pipe passed as standard
// output nor a process handle, and it is re-parented to init. So the fixture starts
// /bin/sh with a small script (written to a run folder of its own) that runs zandor-sim
// with its output in a file, and then watches two files there: "stop", which Stop()
// creates, and "heartbeat", which a thread of the fixture re-creates every 200 ms. When
// the test process dies, the heartbeat stops and the script ends the simulator within
// about 5 seconds, so a crashed test leaves nothing running. The ports come from the
// simulator's start line ("listening on <scheme>://127.0.0.1:<port> admin <port>").
//
// The simulator is looked up as $ZW_NATIVE_BIN/zandor-sim (CTest sets ZW_NATIVE_BIN), else
// in ../native/bin beside the program (build/bin and build/native/bin).
//
//   SimulatorProcess sim;
//   ASSERT_TRUE(sim.Start({"--vms", "5"})) << sim.LastError();
//   sim.ServiceUrl();                       // "https://127.0.0.1/sdk", with sim.Port()
//   sim.Admin("setPower", R"({"moid":"vm-1","powerState":2})");
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Starts zandor-sim with --port 0 --admin-port auto and these further arguments, and
  // waits (up to 20 s) for its start line. False with LastError() set on failure.
  bool Start(const std::vector<std::string>& extraArgs = {});
  // Ends the simulator (SIGTERM) and waits up to 5 s for it to exit. Idempotent.
  void Stop();

  // The loopback address it listens on (127.0.0.1 unless started with --bind).
  const std::string& Address() const { return mAddress; }
  int Port() const { return mPort; }
  int AdminPort() const { return mAdminPort; }
  bool Secure() const { return mSecure; }
  // The service URL for QorHost_Connect; the port is passed separately.
  std::string ServiceUrl() const;
  // POST /admin/<command> with a JSON body. True for HTTP 200; the answer's body in
  // *answer when given.
  bool Admin(const std::string& command, const std::string& jsonBody = "{}", std::string* answer = nullptr);
  // What the simulator printed so far (standard output and error), for failure messages.
  std::string Output() const;
  const std::string& LastError() const { return mLastError; }

  // The simulator's path as a Linux path; empty when it cannot be named.
  static std::string SimulatorPath();

 private:
  bool Fail(const std::string& message);
  void HeartbeatLoop();

  std::wstring mRunFolder;  // Windows path of this run's files
  std::thread mHeartbeat;
  std::mutex mHeartbeatLock;
  std::condition_variable mHeartbeatStop;
  bool mStopHeartbeat = false;
  std::atomic<bool> mRunning{false};
  std::string mAddress = "127.0.0.1";
  int mPort = 0;
  int mAdminPort = 0;
  bool mSecure = true;
  std::string mLastError;
};
