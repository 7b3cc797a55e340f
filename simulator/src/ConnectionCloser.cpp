#include "simulator/src/ConnectionCloser.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>

namespace sim {
namespace {

int LocalPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return -1;
}

}  // namespace

std::vector<int> AcceptedConnections(int port) {
  std::vector<int> found;
  if (port <= 0) return found;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return found;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    long fd = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || fd < 0 || fd == dirfd(dir)) continue;
    struct stat info {};
    if (fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
    int listening = 0;
    socklen_t size = sizeof listening;
    if (getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening) continue;
    if (LocalPort(static_cast<int>(fd)) != port) continue;
    found.push_back(static_cast<int>(fd));
  }
  closedir(dir);
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
