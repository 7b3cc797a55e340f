#include "simulator/src/ProcessSockets.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>

namespace sim {
namespace {

SocketAddress Describe(const sockaddr_storage& address) {
  SocketAddress described;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text)) described.address = text;
    described.port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    if (inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text)) described.address = text;
    described.port = ntohs(v6->sin6_port);
  }
  return described;
}

}  // namespace

std::vector<int> OpenSockets() {
  std::vector<int> sockets;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return sockets;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    long fd = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || fd < 0 || fd == dirfd(dir)) continue;
    struct stat info {};
    if (fstat(static_cast<int>(fd), &info) == 0 && S_ISSOCK(info.st_mode)) sockets.push_back(static_cast<int>(fd));
  }
  closedir(dir);
  return sockets;
}

SocketAddress LocalAddress(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return SocketAddress();
  return Describe(address);
}

SocketAddress PeerAddress(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return SocketAddress();
  return Describe(address);
}

bool IsListening(int fd) {
  int listening = 0;
  socklen_t size = sizeof listening;
  return getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && listening;
}

}  // namespace sim
