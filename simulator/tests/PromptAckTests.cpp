// Finding the server's end of a connection by its ports, as the quick-ACK workaround does.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "simulator/src/PromptAck.h"

namespace {

int PortOf(int fd, bool peer) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int rc = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return rc == 0 ? ntohs(address.sin_port) : -1;
}

// A listener, one client and the accepted end, all on loopback in this process.
struct LoopbackPair {
  LoopbackPair() {
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 4);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    client = socket(AF_INET, SOCK_STREAM, 0);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    accepted = accept(listener, nullptr, nullptr);
  }
  ~LoopbackPair() {
    close(client);
    close(accepted);
    close(listener);
  }
  int listener = -1;
  int client = -1;
  int accepted = -1;
};

TEST(PromptAck, FindsTheConnectionByLocalPortAndPeer) {
  LoopbackPair pair;
  ASSERT_GE(pair.accepted, 0);
  const int serverPort = PortOf(pair.accepted, false);
  const int clientPort = PortOf(pair.client, false);
  // The listener shares the local port but has no peer; the client's end is the other way round.
  EXPECT_EQ(sim::FindConnection(serverPort, "127.0.0.1", clientPort), pair.accepted);
  EXPECT_EQ(sim::FindConnection(clientPort, "127.0.0.1", serverPort), pair.client);
  EXPECT_EQ(sim::FindConnection(serverPort, "127.0.0.2", clientPort), -1);
  EXPECT_EQ(sim::FindConnection(serverPort, "127.0.0.1", serverPort), -1);
}

}  // namespace
