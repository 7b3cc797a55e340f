#pragma once
// Command line of zandor-sim.

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Options {
  int port = 8443;                 // 0: pick a free port
  std::string bindAddress = "127.0.0.1";
  bool plainHttp = false;
  std::string certFile;            // both empty: generate a self-signed certificate
  std::string keyFile;
  std::string user = "root";
  std::string password = "wickerlyn";
  int vmCount = 20;                // used when inventoryFile is empty
  std::string inventoryFile;
  bool unlicensed = false;
  int latencyMs = 0;
  int powerDelayMs = 300;
  int adminPort = 0;               // 0: off
  bool adminAutoPort = false;      // "--admin-port auto": a free port
  bool updateAvailable = true;
  uint64_t seed = 1;
};

struct ParseResult {
  bool ok = false;
  bool helpRequested = false;
  std::string error;               // when !ok and !helpRequested
  Options options;
};

ParseResult ParseOptions(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace sim
