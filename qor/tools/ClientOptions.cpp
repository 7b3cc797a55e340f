#include "qor/tools/ClientOptions.h"

#include <cstdlib>

const char* ClientUsage() {
  return "usage: qor-client --url https://host/sdk [--port N] --user U --password P <command>\n"
         "commands: list | open <path> | power-on <path> | power-off <path> | suspend <path> | reset <path>\n";
}

bool ParseClientOptions(const std::vector<std::string>& args, ClientOptions* options, std::string* error) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool takesValue = arg == "--url" || arg == "--port" || arg == "--user" || arg == "--password";
    if (!takesValue) {
      if (arg.rfind("--", 0) == 0) {
        *error = "unknown option " + arg;
        return false;
      }
      positional.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (arg == "--url") {
      options->url = value;
    } else if (arg == "--user") {
      options->user = value;
    } else if (arg == "--password") {
      options->password = value;
    } else {
      char* end = nullptr;
      long port = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || port < 0 || port > 65535) {
        *error = "--port needs a number from 0 to 65535";
        return false;
      }
      options->port = static_cast<int>(port);
    }
  }
  if (options->url.empty()) {
    *error = "--url is required";
    return false;
  }
  if (positional.empty()) {
    *error = "no command given";
    return false;
  }
  options->command = positional[0];
  bool needsPath = options->command != "list";
  if (options->command != "list" && options->command != "open" && options->command != "power-on" &&
      options->command != "power-off" && options->command != "suspend" && options->command != "reset") {
    *error = "unknown command " + options->command;
    return false;
  }
  if (positional.size() != (needsPath ? 2u : 1u)) {
    *error = needsPath ? options->command + " needs one VM path" : "list takes no further arguments";
    return false;
  }
  if (needsPath) options->path = positional[1];
  return true;
}
