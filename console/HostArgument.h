// The "-h" value: the server as the program keeps it, "host" or "host:port", with
// "http://" in front for a server reached without SSL ("https://" may be written too).
#pragma once

#include <string>

namespace lumacon {

struct HostArgument {
  std::wstring host;
  unsigned int port = 0;  // 0: the library's default for the scheme
  bool useSsl = true;

  // What the automation library connects to; the port goes beside it.
  std::wstring ServiceUrl() const;
  // "host" or "host:port", for texts shown to the user.
  std::wstring Display() const;
};

// False with problem set for an empty host, a path after the host, or a port that is not
// a number from 1 to 65535.
bool ParseHostArgument(const std::wstring& text, HostArgument& out, std::wstring& problem);

}  // namespace lumacon
