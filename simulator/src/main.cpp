// zandor-sim: a stand-in for the hypervisor servers (see simulator/PROTOCOL.md).

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "simulator/src/Options.h"
#include "simulator/src/RequestLog.h"
#include "simulator/src/Simulator.h"

int main(int argc, char** argv) {
  // Block the stop signals before any thread exists, so that every server thread
  // inherits the mask and only sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::vector<std::string> args(argv + 1, argv + argc);
  sim::ParseResult parsed = sim::ParseOptions(args);
  if (parsed.helpRequested) {
    std::fputs(sim::UsageText().c_str(), stdout);
    return 0;
  }
  if (!parsed.ok) {
    std::fprintf(stderr, "zandor-sim: %s\nTry 'zandor-sim --help'.\n", parsed.error.c_str());
    return 2;
  }

  std::vector<sim::Vm> vms;
  std::string error;
  if (!sim::LoadConfiguredInventory(parsed.options, &vms, &error)) {
    sim::LogLine("zandor-sim: %s", error.c_str());
    return 1;
  }
  sim::Simulator simulator(parsed.options, std::move(vms));
  if (!simulator.Start(&error)) {
    sim::LogLine("zandor-sim: %s", error.c_str());
    return 1;
  }
  std::printf("%s\n", simulator.StartLine().c_str());
  std::fflush(stdout);

  int received = 0;
  while (sigwait(&stopSignals, &received) != 0) {
  }
  sim::LogLine("zandor-sim: %s received", received == SIGINT ? "SIGINT" : "SIGTERM");
  simulator.Stop();
  return 0;
}
