#include "simulator/src/Options.h"

#include <cerrno>
#include <cstdlib>

namespace sim {
namespace {

bool ParseInt(const std::string& text, long long min, long long max, long long* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < min || value > max) return false;
  *out = value;
  return true;
}

bool ParseUnsigned64(const std::string& text, uint64_t* out) {
  if (text.empty() || text[0] == '-') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return false;
  *out = value;
  return true;
}

}  // namespace

std::string UsageText() {
  return
      "Usage: zandor-sim [options]\n"
      "Stands in for a Zandor hypervisor server: the /sdk JSON service, the web\n"
      "information service (/info) and an admin interface for tests.\n"
      "\n"
      "  --port N              service port (default 8443; 0 picks a free port)\n"
      "  --bind ADDRESS        address to listen on (default 127.0.0.1)\n"
      "  --http                plain HTTP instead of HTTPS\n"
      "  --cert FILE --key FILE  PEM certificate and private key for HTTPS; without\n"
      "                        them a self-signed certificate is made at start\n"
      "  --user U              account user name (default root)\n"
      "  --password P          account password (default wickerlyn)\n"
      "  --vms N               generate N VMs (default 20, at most 1000000)\n"
      "  --inventory FILE      read the VMs from a JSON file instead (see PROTOCOL.md)\n"
      "  --unlicensed          refuse logins with error 32 (unlicensed free host)\n"
      "  --latency-ms N        delay every /sdk answer by N ms (default 0)\n"
      "  --power-delay-ms N    duration of each power transition state (default 300)\n"
      "  --admin-port N|auto   admin interface on 127.0.0.1 (plain HTTP); 0 or absent:\n"
      "                        off; auto: a free port\n"
      "  --update-available 0|1  what /info?id=1073 answers (default 1)\n"
      "  --seed S              seed of the generated inventory (default 1)\n"
      "  --help                this text\n"
      "\n"
      "At start one line goes to standard output:\n"
      "  listening on <scheme>://<address>:<port> admin <admin port or 0>\n"
      "SIGINT or SIGTERM stops the servers and exits with 0.\n";
}

ParseResult ParseOptions(const std::vector<std::string>& args) {
  ParseResult result;
  Options& o = result.options;
  bool vmsGiven = false;
  auto fail = [&](const std::string& message) {
    result.ok = false;
    result.error = message;
    return result;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      result.helpRequested = true;
      return result;
    }
    if (arg == "--http") { o.plainHttp = true; continue; }
    if (arg == "--unlicensed") { o.unlicensed = true; continue; }

    if (i + 1 >= args.size()) {
      if (arg.rfind("--", 0) == 0) return fail("option " + arg + " is unknown or needs a value");
      return fail("unexpected argument '" + arg + "'");
    }
    const std::string& value = args[i + 1];
    long long number = 0;
    if (arg == "--port") {
      if (!ParseInt(value, 0, 65535, &number)) return fail("--port needs a number from 0 to 65535");
      o.port = static_cast<int>(number);
    } else if (arg == "--bind") {
      if (value.empty()) return fail("--bind needs an address");
      o.bindAddress = value;
    } else if (arg == "--cert") {
      o.certFile = value;
    } else if (arg == "--key") {
      o.keyFile = value;
    } else if (arg == "--user") {
      if (value.empty()) return fail("--user must not be empty");
      o.user = value;
    } else if (arg == "--password") {
      if (value.empty()) return fail("--password must not be empty");
      o.password = value;
    } else if (arg == "--vms") {
      if (!ParseInt(value, 0, 1000000, &number)) return fail("--vms needs a number from 0 to 1000000");
      o.vmCount = static_cast<int>(number);
      vmsGiven = true;
    } else if (arg == "--inventory") {
      if (value.empty()) return fail("--inventory needs a file name");
      o.inventoryFile = value;
    } else if (arg == "--latency-ms") {
      if (!ParseInt(value, 0, 600000, &number)) return fail("--latency-ms needs a number from 0 to 600000");
      o.latencyMs = static_cast<int>(number);
    } else if (arg == "--power-delay-ms") {
      if (!ParseInt(value, 0, 600000, &number)) return fail("--power-delay-ms needs a number from 0 to 600000");
      o.powerDelayMs = static_cast<int>(number);
    } else if (arg == "--admin-port") {
      if (value == "auto") {
        o.adminAutoPort = true;
        o.adminPort = 0;
      } else {
        if (!ParseInt(value, 0, 65535, &number)) return fail("--admin-port needs a number from 0 to 65535 or 'auto'");
        o.adminAutoPort = false;
        o.adminPort = static_cast<int>(number);
      }
    } else if (arg == "--update-available") {
      if (value != "0" && value != "1") return fail("--update-available needs 0 or 1");
      o.updateAvailable = value == "1";
    } else if (arg == "--seed") {
      if (!ParseUnsigned64(value, &o.seed)) return fail("--seed needs a non-negative number");
    } else {
      return fail("unknown option '" + arg + "'");
    }
    ++i;
  }

  if (vmsGiven && !o.inventoryFile.empty()) return fail("--vms and --inventory exclude each other");
  if (o.certFile.empty() != o.keyFile.empty()) return fail("--cert and --key must be given together");
  if (o.plainHttp && !o.certFile.empty()) return fail("--cert and --key make no sense with --http");
  result.ok = true;
  return result;
}

}  // namespace sim
