#include "simulator/src/PromptAck.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "simulator/src/ProcessSockets.h"

namespace sim {
namespace {

bool IsConnection(int fd, int localPort, const std::string& remoteAddr, int remotePort) {
  if (LocalAddress(fd).port != localPort) return false;
  SocketAddress peer = PeerAddress(fd);
  return peer.port == remotePort && peer.address == remoteAddr;
}

}  // namespace

int FindConnection(int localPort, const std::string& remoteAddr, int remotePort) {
  for (int fd : OpenSockets()) {
    if (IsConnection(fd, localPort, remoteAddr, remotePort)) return fd;
  }
  return -1;
}

void AcknowledgePromptly(int localPort, const std::string& remoteAddr, int remotePort) {
  // A descriptor number can be reused for another connection, so the cached one is
  // checked before use.
  thread_local int cached = -1;
  if (cached < 0 || !IsConnection(cached, localPort, remoteAddr, remotePort)) {
    cached = FindConnection(localPort, remoteAddr, remotePort);
  }
  if (cached < 0) return;
  int on = 1;
  setsockopt(cached, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

}  // namespace sim
