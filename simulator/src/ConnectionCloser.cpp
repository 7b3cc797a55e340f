#include "simulator/src/ConnectionCloser.h"

#include <sys/socket.h>

#include "simulator/src/ProcessSockets.h"

namespace sim {

std::vector<int> AcceptedConnections(int port) {
  std::vector<int> found;
  if (port <= 0) return found;
  for (int fd : OpenSockets()) {
    if (!IsListening(fd) && LocalAddress(fd).port == port) found.push_back(fd);
  }
  return found;
}

int ShutdownReadsOfAcceptedConnections(int port) {
  int count = 0;
  for (int fd : AcceptedConnections(port)) {
    if (shutdown(fd, SHUT_RD) == 0) ++count;
  }
  return count;
}

}  // namespace sim
