#pragma once
// This process's own sockets, found through /proc/self/fd: the HTTP library does not
// hand out the descriptors of the connections it accepted.

#include <string>
#include <vector>

namespace sim {

struct SocketAddress {
  std::string address;  // numeric, as the HTTP library reports peers
  int port = -1;        // -1 when unknown
};

std::vector<int> OpenSockets();
SocketAddress LocalAddress(int fd);
SocketAddress PeerAddress(int fd);
bool IsListening(int fd);

}  // namespace sim
