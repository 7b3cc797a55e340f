#include "simulator/src/PromptAck.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>

namespace sim {
namespace {

struct Endpoint {
  std::string address;
  int port = -1;
};

Endpoint Describe(const sockaddr_storage& address) {
  Endpoint endpoint;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text)) endpoint.address = text;
    endpoint.port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    if (inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text)) endpoint.address = text;
    endpoint.port = ntohs(v6->sin6_port);
  }
  return endpoint;
}

bool IsConnection(int fd, int localPort, const std::string& remoteAddr, int remotePort) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
  if (Describe(address).port != localPort) return false;
  address = {};
  length = sizeof address;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
  Endpoint peer = Describe(address);
  return peer.port == remotePort && peer.address == remoteAddr;
}

}  // namespace

int FindConnection(int localPort, const std::string& remoteAddr, int remotePort) {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  int found = -1;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    long fd = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || fd < 0 || fd == dirfd(dir)) continue;
    struct stat info {};
    if (fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
    if (IsConnection(static_cast<int>(fd), localPort, remoteAddr, remotePort)) {
      found = static_cast<int>(fd);
      break;
    }
  }
  closedir(dir);
  return found;
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
