// Command line of qor-client:
//   qor-client --url https://host/sdk [--port N] --user U --password P <command>
// commands: list | open <path> | power-on <path> | power-off <path> | suspend <path> | reset <path>
#pragma once

#include <string>
#include <vector>

struct ClientOptions {
  std::string url;
  int port = 0;
  std::string user;
  std::string password;
  std::string command;
  std::string path;  // for every command but list
};

// False with a message in error when the arguments do not form a valid call.
bool ParseClientOptions(const std::vector<std::string>& args, ClientOptions* options, std::string* error);
const char* ClientUsage();
